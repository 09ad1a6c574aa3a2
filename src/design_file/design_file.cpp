#include "design_file/design_file.h"

#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "base/fields.h"
#include "base/program_exit.h"
#include "base/text_out.h"
#include "base/units.h"
#include "design_file/toml.h"
#include "dialog/dialog.h"
#include "files/coax_file.h"
#include "files/defaults_file.h"
#include "files/lumped_file.h"
#include "line/impedance.h"
#include "synthesis/ladder.h"
#include "synthesis/section_count.h"
#include "synthesis/standard_values.h"

namespace mx {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

// Add a response here and it can be named in a design file.
constexpr ResponseType kResponseTypes[] = {
    {"chebyshev", Response::kChebyshev, true}, {"butterworth", Response::kButterworth, false},
    {"bessel", Response::kBessel, false},      {"legendre", Response::kLegendre, false},
    {"elliptic", Response::kElliptic, true},
};

struct ConfigurationName {
  std::string_view name;
  Configuration configuration;
};
constexpr ConfigurationName kConfigurations[] = {
    {"standard", Configuration::kStandard},
    {"dual", Configuration::kDual},
};

// The four line tables of [coax], in LineKind order.
constexpr std::array<std::string_view, 4> kLineTables = {"source", "high", "low", "load"};

// The limits a value is checked against, with the words of the message.
struct Limit {
  bool (*fits)(float);
  const char* expected;
};
constexpr Limit kAboveZero{[](float v) { return v > 0.0f; }, "a number above 0"};
constexpr Limit kZeroOrMore{[](float v) { return v >= 0.0f; }, "a number, 0 or more"};
constexpr Limit kAnyNumber{[](float) { return true; }, "a number"};
constexpr Limit kDielectric{[](float v) { return v >= 1.0f; }, "a dielectric constant, 1 or more"};

std::string type_name(const toml::node& n) {
  switch (n.type()) {
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
      return "an integer";
    case toml::node_type::floating_point:
      return "a number";
    case toml::node_type::boolean:
      return "a boolean";
    default:
      return "a date or time";
  }
}

// What the file holds at a key, for a message: the value itself when short.
std::string shown(const toml::node& n) {
  if (const auto* f = n.as_floating_point()) {
    char text[40];
    return std::string(text, std::to_chars(text, text + sizeof text, f->get()).ptr);
  }
  if (const auto* i = n.as_integer()) return std::to_string(i->get());
  if (const auto* b = n.as_boolean()) return b->get() ? "true" : "false";
  if (const auto* text = n.as_string(); text && text->get().size() <= 40)
    return '"' + text->get() + '"';
  return type_name(n);
}

// A number of the file as the float the same text typed as an answer gives:
// the shortest text of the double read back as the nearest float (a double
// rounded to float could land one bit away). Unset beyond the float range.
std::optional<float> nearest_float(double v) {
  char text[40];
  const auto written = std::to_chars(text, text + sizeof text, v);
  float f = 0;
  const auto read = std::from_chars(text, written.ptr, f);
  if (read.ec != std::errc() || !std::isfinite(f)) return std::nullopt;
  return f;
}

// The message of a refused data file as the words of one line.
std::string one_line(const std::string& message) {
  std::string words;
  std::istringstream lines(message);
  for (std::string w; lines >> w;) words += (words.empty() ? "" : " ") + w;
  return words;
}

// The keys a table may hold, as a message lists them.
std::string key_list(std::initializer_list<std::string_view> keys) {
  std::string list;
  for (std::string_view k : keys) list += (list.empty() ? "" : ", ") + std::string(k);
  return list;
}

bool known_key(std::initializer_list<std::string_view> keys, std::string_view key) {
  for (std::string_view k : keys)
    if (k == key) return true;
  return false;
}

class Reader {
 public:
  Reader(const toml::table& root, std::string_view source, bool lines, bool defaults,
         DesignRecord& ds)
      : root_(root), source_(source), lines_(lines), defaults_(defaults), ds_(ds) {}

  DesignFile run(const fs::path& workdir);

 private:
  [[noreturn]] void fail(const toml::node* at, std::string_view key, std::string_view what) const;
  // The sub-table `name` of parent (null when absent), checked to hold only `keys`.
  const toml::table* table(const toml::table* parent, const std::string& path,
                           std::initializer_list<std::string_view> keys) const;
  // The number at key of t (t may be null), checked against limit; unset when absent.
  std::optional<float> number(const toml::table* t, const std::string& path, std::string_view key,
                              Limit limit) const;
  // The same into member; absent, member keeps the defaults file's value,
  // and without a defaults file the value is missing.
  void take(const toml::table* t, const std::string& path, std::string_view key, Limit limit,
            float& member) const;
  // One of the names of `choices`; absent, the first (the menu's starred answer).
  template <typename Choice>
  const Choice& choice(const toml::table* t, const std::string& path, std::string_view key,
                       std::span<const Choice> choices) const;
  [[noreturn]] void missing(const toml::table* t, const std::string& path,
                            std::string_view key) const;

  void response(const toml::table* r, const ResponseType& type);
  void section_count(const toml::table* r, const ResponseType& type);
  void computed_response_checks(const toml::table* r, const ResponseType& type, bool coaxial);
  void standard_values(const toml::table* r, bool coaxial);
  void coax_lines(const toml::table* coax);
  void coax_line(const toml::table* coax, int j);
  void losses(const toml::table* t);
  void sweep(const toml::table* t);
  void circuit(const toml::table* t, const fs::path& workdir, DesignFile& spec);
  void reactances(const toml::table* t, bool from_defaults);

  const toml::table& root_;
  std::string source_;
  bool lines_;
  bool defaults_;
  DesignRecord& ds_;
};

void Reader::fail(const toml::node* at, std::string_view key, std::string_view what) const {
  std::string line = source_;
  if (lines_ && at != nullptr && at->source().begin.line > 0)
    line += ':' + std::to_string(at->source().begin.line);
  // Keys and values of the file may hold any character; the message is one printable line.
  throw SpecError(line + ": " + printable(key) + ": " + printable(what));
}

void Reader::missing(const toml::table* t, const std::string& path, std::string_view key) const {
  fail(t, path.empty() ? key : path + "." + std::string(key),
       "missing, and the working folder has no " + std::string(kDefaultsFileName) +
           " to take it from");
}

const toml::table* Reader::table(const toml::table* parent, const std::string& path,
                                 std::initializer_list<std::string_view> keys) const {
  const std::size_t dot = path.rfind('.');
  const std::string name = dot == std::string::npos ? path : path.substr(dot + 1);
  const toml::node* n = parent == nullptr ? nullptr : parent->get(name);
  if (n == nullptr) return nullptr;
  const toml::table* t = n->as_table();
  if (t == nullptr) fail(n, path, "expected a table, not " + type_name(*n));
  for (const auto& [key, value] : *t)
    if (!known_key(keys, key.str()))
      fail(&value, path + "." + std::string(key.str()),
           "unknown key; expected one of " + key_list(keys));
  return t;
}

std::optional<float> Reader::number(const toml::table* t, const std::string& path,
                                    std::string_view key, Limit limit) const {
  const toml::node* n = t == nullptr ? nullptr : t->get(key);
  if (n == nullptr) return std::nullopt;
  const std::string where = path + "." + std::string(key);
  std::optional<float> v;
  if (const auto* f = n->as_floating_point())
    v = nearest_float(f->get());
  else if (const auto* i = n->as_integer())
    v = nearest_float(static_cast<double>(i->get()));
  else
    fail(n, where, std::string("expected ") + limit.expected + ", not " + type_name(*n));
  if (!v || !limit.fits(*v))
    fail(n, where, std::string("expected ") + limit.expected + ", not " + shown(*n));
  return v;
}

void Reader::take(const toml::table* t, const std::string& path, std::string_view key, Limit limit,
                  float& member) const {
  if (const std::optional<float> v = number(t, path, key, limit))
    member = *v;
  else if (!defaults_)
    missing(t, path, key);
}

template <typename Choice>
const Choice& Reader::choice(const toml::table* t, const std::string& path, std::string_view key,
                             std::span<const Choice> choices) const {
  const toml::node* n = t == nullptr ? nullptr : t->get(key);
  if (n == nullptr) return choices.front();  // the starred answer of the menu
  std::string list;
  for (const Choice& c : choices) {
    if (n->is_string() && n->as_string()->get() == c.name) return c;
    list += (list.empty() ? "\"" : ", \"") + std::string(c.name) + '"';
  }
  fail(n, path + "." + std::string(key), "expected one of " + list + ", not " + shown(*n));
}

DesignFile Reader::run(const fs::path& workdir) {
  DesignFile spec;
  static constexpr auto kTables = {"title"sv,  "response"sv, "terminations"sv, "coax"sv,
                                   "losses"sv, "analysis"sv, "circuit"sv};
  for (const auto& [key, value] : root_)
    if (!known_key(kTables, key.str()))
      fail(&value, key.str(), "unknown key; expected one of " + key_list(kTables));
  if (const toml::node* title = root_.get("title")) {
    if (!title->is_string()) fail(title, "title", "expected a string, not " + type_name(*title));
    spec.title = title->as_string()->get();
  }

  const toml::table* r = table(&root_, "response",
                               {"type", "ripple_db", "sections", "skirt_mhz", "skirt_db",
                                "cutoff_mhz", "configuration", "stopband_db", "snap"});
  const toml::table* t = table(
      &root_, "terminations",
      {"impedance_ohm", "source_ohm", "load_ohm", "source_reactance_ohm", "load_reactance_ohm"});
  const toml::table* coax = table(&root_, "coax", {"source", "high", "low", "load"});
  const toml::table* l =
      table(&root_, "losses", {"resistivity_uohm_cm", "roughness_uin", "loss_tangent"});
  const toml::table* a = table(&root_, "analysis", {"start_mhz", "stop_mhz", "step_mhz"});
  const toml::table* c = table(&root_, "circuit", {"lumped_file", "coaxial_file"});
  spec.analyse = a != nullptr;
  if (t != nullptr)
    take(t, "terminations", "impedance_ohm", kAboveZero, ds_.design.system_impedance);

  if (c != nullptr) {
    for (const toml::table* other : {r, coax})
      if (other != nullptr)
        fail(other, other == r ? "response" : "coax",
             "a [circuit] is analysed as it is; this table belongs to a synthesis");
    if (a == nullptr) fail(c, "circuit", "a [circuit] needs an [analysis] table to analyse it");
    circuit(c, workdir, spec);
  } else {
    Control& k = ds_.control;
    k.function = Function::kSynthesis;
    k.option = coax != nullptr ? Option::kDistributed : Option::kElectrical;
    const ResponseType& type =
        choice(r, "response", "type", std::span<const ResponseType>(kResponseTypes));
    k.configuration =
        choice(r, "response", "configuration", std::span<const ConfigurationName>(kConfigurations))
            .configuration;
    if (coax != nullptr) coax_lines(coax);
    response(r, type);
    computed_response_checks(r, type, coax != nullptr);
    if (!defaults_ && (t == nullptr || !t->contains("impedance_ohm")))
      missing(t, "terminations", "impedance_ohm");
    if (coax != nullptr) {
      for (std::string_view key : {"source_ohm", "load_ohm"})
        if (const toml::node* n = t == nullptr ? nullptr : t->get(key))
          fail(n, "terminations." + std::string(key),
               "a coaxial filter is terminated by the Zo of its source and load lines "
               "([coax] source and load)");
      reactances(t, true);
    } else {
      spec.source_ohm = number(t, "terminations", "source_ohm", kAboveZero);
      spec.load_ohm = number(t, "terminations", "load_ohm", kAboveZero);
      reactances(t, false);
    }
  }

  if (ds_.control.option == Option::kDistributed)
    losses(l);
  else if (l != nullptr)
    fail(l, "losses", "losses belong to coaxial lines; this design is lumped");
  if (a != nullptr) sweep(a);
  return spec;
}

void Reader::response(const toml::table* r, const ResponseType& type) {
  Control& k = ds_.control;
  DesignData& s = ds_.design;
  k.response = type.response;
  take(r, "response", "cutoff_mhz", kAboveZero, s.cutoff_mhz);
  if (type.has_ripple) {
    take(r, "response", "ripple_db", kAboveZero, s.ripple_db);
  } else if (const toml::node* n = r == nullptr ? nullptr : r->get("ripple_db")) {
    fail(n, "response.ripple_db",
         "a " + std::string(type.name) + " response has no passband ripple");
  }
  section_count(r, type);
}

// [response] snap: the standard values a lumped design takes.
void Reader::standard_values(const toml::table* r, bool coaxial) {
  const toml::node* snap = r == nullptr ? nullptr : r->get("snap");
  ds_.design.snap_series = 0;
  if (snap == nullptr) return;
  const auto* name = snap->as_string();
  const std::optional<PreferredSeries> series =
      name == nullptr ? std::nullopt : preferred_series(name->get());
  if (!series)
    fail(snap, "response.snap",
         "expected one of \"E6\", \"E12\", \"E24\", \"E48\", \"E96\", not " + shown(*snap));
  if (coaxial)
    fail(snap, "response.snap",
         "standard values belong to lumped components; this design is coaxial");
  ds_.design.snap_series = series->per_decade;
}

// The keys of the computed responses (Bessel, Legendre, elliptic), and
// whether their ladder can be made: refused here, in one line, rather than
// after the report has begun.
void Reader::computed_response_checks(const toml::table* r, const ResponseType& type,
                                      bool coaxial) {
  DesignData& s = ds_.design;
  const toml::node* stop = r == nullptr ? nullptr : r->get("stopband_db");
  const bool elliptic = type.response == Response::kElliptic;
  if (elliptic) {
    if (stop == nullptr) fail(r, "response.stopband_db", "an elliptic response needs stopband_db");
    s.stopband_db = *number(r, "response", "stopband_db", kAboveZero);
    if (coaxial)
      fail(r, "response.type",
           "an elliptic ladder has resonant arms, which a stepped coaxial filter cannot make");
  } else if (stop != nullptr) {
    fail(stop, "response.stopband_db",
         "only an elliptic response has a stopband attenuation, not a " + std::string(type.name) +
             " one");
  }
  standard_values(r, coaxial);
  if (!computed_response(type.response)) return;
  if (ds_.control.count_from_skirt)
    fail(r, "response.sections",
         "a " + std::string(type.name) + " response takes sections, not skirt_mhz and skirt_db");
  Ladder trial;
  DesignData d = s;
  const std::string refusal = synthesize_computed_ladder(trial, d, type.response);
  if (!refusal.empty()) fail(r, "response", refusal);
}

void Reader::section_count(const toml::table* r, const ResponseType& type) {
  DesignData& s = ds_.design;
  const toml::node* count = r == nullptr ? nullptr : r->get("sections");
  const bool skirt = r != nullptr && (r->contains("skirt_mhz") || r->contains("skirt_db"));
  ds_.control.count_from_skirt = skirt;
  if (!skirt) {
    if (count == nullptr) {
      if (!defaults_) missing(r, "response", "sections");
      return;
    }
    const auto* n = count->as_integer();
    if (n == nullptr || !synthesizable_section_count(n->get()))
      fail(count, "response.sections",
           "expected a whole number from " + std::to_string(kMinSections) + " to " +
               std::to_string(kMaxSections) + ", not " + shown(*count));
    s.sections = static_cast<int>(n->get());
    return;
  }
  if (count != nullptr)
    fail(count, "response.sections",
         "give either sections or skirt_mhz and skirt_db (the count from the skirt), not both");
  take(r, "response", "skirt_mhz", kAboveZero, s.skirt_mhz);
  take(r, "response", "skirt_db", kAboveZero, s.skirt_atten_db);
  const toml::node* f1 = r->get("skirt_mhz");
  const toml::node* a1 = r->get("skirt_db");
  if (!(s.skirt_mhz > s.cutoff_mhz))
    fail(f1 != nullptr ? f1 : r, "response.skirt_mhz",
         "expected a skirt frequency above the cutoff " + shown(toml::value<double>(s.cutoff_mhz)) +
             " MHz");
  const float least = least_skirt_attenuation_db(type.response, s.ripple_db);
  if (!(s.skirt_atten_db > least))
    fail(a1 != nullptr ? a1 : r, "response.skirt_db",
         std::string("expected an attenuation above ") + (type.has_ripple ? "the ripple " : "") +
             shown(toml::value<double>(least)) + " dB");
  const SectionCount n =
      mx::section_count(s.ripple_db, s.skirt_atten_db, s.cutoff_mhz, s.skirt_mhz, type.response);
  if (!n.ok || n.n > kMaxSections)
    fail(r, "response.skirt_db",
         "the skirt asks for " + std::to_string(n.n) + " sections; at most " +
             std::to_string(kMaxSections) + " can be synthesized");
  s.sections = n.n;
  s.skirt_reached_db = n.reached_db;
}

void Reader::coax_lines(const toml::table* coax) {
  for (int j = kSourceLine; j <= kLoadLine; ++j) coax_line(coax, j);
  ds_.ports.rs = ds_.lines.zo(kSourceLine);
  ds_.ports.rl = ds_.lines.zo(kLoadLine);
}

// One line kind, as the dimensional questions take it: a diameter that is 0
// (in the defaults) or left to follow from zo_ohm is found from the line's Zo.
void Reader::coax_line(const toml::table* coax, int j) {
  LineKinds& k = ds_.lines;
  const std::string path = "coax." + std::string(kLineTables[static_cast<std::size_t>(j)]);
  const bool low = j == kLowLine;
  const toml::table* t = low ? table(coax, path, {"inner_in", "er", "zo_ohm"})
                             : table(coax, path, {"outer_in", "inner_in", "er", "zo_ohm"});
  const toml::node* where = t != nullptr ? static_cast<const toml::node*>(t) : coax;
  if (low) k.outer(j) = k.outer(kHighLine);  // both section kinds share one outer conductor
  const std::optional<float> outer = low ? std::nullopt : number(t, path, "outer_in", kAboveZero);
  const std::optional<float> inner = number(t, path, "inner_in", kAboveZero);
  const std::optional<float> zo = number(t, path, "zo_ohm", kAboveZero);
  take(t, path, "er", kDielectric, k.er(j));
  if (outer) k.outer(j) = *outer;
  if (inner) k.inner(j) = *inner;
  if (zo) {
    const int given = (outer || low ? 1 : 0) + (inner ? 1 : 0);
    if (given != 1)
      fail(t->get("zo_ohm"), path + ".zo_ohm",
           low ? "the low-impedance sections take the outer diameter of the high ones: give "
                 "zo_ohm without inner_in"
               : "give zo_ohm with one diameter, outer_in or inner_in, and the other follows");
    if (outer || low)
      k.inner(j) = 0;
    else
      k.outer(j) = 0;
    k.zo(j) = *zo;
  } else if (!defaults_) {
    if (!low && !outer) missing(t != nullptr ? t : coax, path, "outer_in");
    if (!inner) missing(t != nullptr ? t : coax, path, "inner_in");
  }
  if (k.outer(j) == 0 || k.inner(j) == 0) {
    const MissingDiameter m = k.outer(j) == 0 ? MissingDiameter::kOuter : MissingDiameter::kInner;
    const DiameterSolution s = solve_diameter(k.outer(j), k.inner(j), k.er(j), k.zo(j), m);
    if (!s.ok)
      fail(zo ? t->get("zo_ohm") : where, path + ".zo_ohm",
           "no realizable line has this impedance with the given diameter");
    k.outer(j) = s.outer;
    k.inner(j) = s.inner;
    return;
  }
  if (!(k.inner(j) < k.outer(j))) {
    const toml::node* n = t != nullptr && t->contains("inner_in") ? t->get("inner_in") : where;
    fail(n, path + ".inner_in",
         "expected an inner diameter below the outer diameter " +
             shown(toml::value<double>(k.outer(j))) + " inch");
  }
  k.zo(j) = line_impedance(k.outer(j), k.inner(j), k.er(j));
}

void Reader::losses(const toml::table* t) {
  Losses& l = ds_.losses;
  // The units of the loss questions: micro-ohm-cm and micro-inch.
  if (const std::optional<float> v = number(t, "losses", "resistivity_uohm_cm", kZeroOrMore))
    l.resistivity = *v / kCmPerInch * 1.0e-6f;
  else if (!defaults_)
    missing(t, "losses", "resistivity_uohm_cm");
  if (const std::optional<float> v = number(t, "losses", "roughness_uin", kZeroOrMore))
    l.roughness = *v * 1.0e-6f;
  else if (!defaults_)
    missing(t, "losses", "roughness_uin");
  take(t, "losses", "loss_tangent", kZeroOrMore, l.loss_tangent);
}

void Reader::sweep(const toml::table* t) {
  Sweep& w = ds_.sweep;
  take(t, "analysis", "start_mhz", kAboveZero, w.start_mhz);
  take(t, "analysis", "stop_mhz", kAboveZero, w.stop_mhz);
  take(t, "analysis", "step_mhz", kAboveZero, w.step_mhz);
  if (w.stop_mhz < w.start_mhz)
    fail(t->contains("stop_mhz") ? t->get("stop_mhz") : t, "analysis.stop_mhz",
         "expected a stop frequency no lower than the start " +
             shown(toml::value<double>(w.start_mhz)) + " MHz");
  w.steps = sweep_step_count(w);
  if (w.steps > kMaxSweepSteps)
    fail(t->contains("step_mhz") ? t->get("step_mhz") : t, "analysis.step_mhz",
         "expected a larger step: a sweep is limited to " + std::to_string(kMaxSweepSteps + 1) +
             " frequencies");
}

void Reader::reactances(const toml::table* t, bool from_defaults) {
  // The dialog asks a lumped circuit's reactances with no default (a blank
  // answer is 0); a coaxial one keeps the defaults file's.
  Terminations& p = ds_.ports;
  if (from_defaults) {
    take(t, "terminations", "source_reactance_ohm", kAnyNumber, p.xs);
    take(t, "terminations", "load_reactance_ohm", kAnyNumber, p.xl);
    return;
  }
  p.xs = number(t, "terminations", "source_reactance_ohm", kAnyNumber).value_or(0.0f);
  p.xl = number(t, "terminations", "load_reactance_ohm", kAnyNumber).value_or(0.0f);
}

void Reader::circuit(const toml::table* t, const fs::path& workdir, DesignFile& spec) {
  spec.circuit_file = true;
  const toml::node* lumped = t->get("lumped_file");
  const toml::node* coaxial = t->get("coaxial_file");
  if ((lumped == nullptr) == (coaxial == nullptr))
    fail(t, "circuit", "expected one of lumped_file and coaxial_file");
  const toml::node* n = lumped != nullptr ? lumped : coaxial;
  const std::string key =
      std::string("circuit.") + (lumped != nullptr ? "lumped_file" : "coaxial_file");
  const auto* text = n->as_string();
  if (text == nullptr || text->get().empty() || text->get().size() > Name20::width)
    fail(n, key, "expected a file name of 1 to 20 characters, not " + shown(*n));
  const Name20 name(text->get());
  if (is_reserved_name(name)) fail(n, key, "this name is the program's own; expected another");

  Control& k = ds_.control;
  k.function = Function::kAnalysis;
  k.entry = CircuitEntry::kDataFile;
  k.option = lumped != nullptr ? Option::kElectrical : Option::kDistributed;
  k.origin = lumped != nullptr ? Origin::kLumpedEntered : Origin::kDistributedEntered;
  (lumped != nullptr ? ds_.files.lumped : ds_.files.coaxial) = name;
  std::ostringstream message;
  TextOut console(message);
  bool read = false;
  try {
    read = lumped != nullptr ? read_lumped_file(ds_, console, workdir)
                             : read_coax_file(ds_, console, workdir);
  } catch (const ProgramExit& e) {
    fail(n, key, e.message);
  }
  if (read && lumped != nullptr && (ds_.design.sections <= 1 || ds_.design.sections > 31)) {
    message << "Fix entry for variable N (1<N<31)";
    read = false;
  }
  if (!read) {
    fail(n, key, "the circuit file was refused: " + one_line(message.str()));
  }

  const toml::table* ports = root_.get_as<toml::table>("terminations");
  if (coaxial != nullptr) {
    for (std::string_view p : {"source_ohm", "load_ohm"})
      if (const toml::node* m = ports == nullptr ? nullptr : ports->get(p))
        fail(m, "terminations." + std::string(p),
             "a coaxial circuit is terminated by the Zo of its source and load lines");
    reactances(ports, true);
    return;
  }
  // The source and load questions of an entered ladder: Rs starts from Zo,
  // Rl from the last load.
  Terminations& p = ds_.ports;
  p.rs = ds_.design.system_impedance;
  if (const std::optional<float> v = number(ports, "terminations", "source_ohm", kAboveZero))
    p.rs = *v;
  else if (!defaults_ && (ports == nullptr || !ports->contains("impedance_ohm")))
    missing(ports, "terminations", "source_ohm");
  take(ports, "terminations", "load_ohm", kAboveZero, p.rl);
  reactances(ports, false);
}

}  // namespace

std::span<const ResponseType> response_types() { return kResponseTypes; }

namespace {

// Reads workdir's Mandrelix.DEF into ds when it is there; true when it was.
bool read_defaults(const fs::path& workdir, DesignRecord& ds) {
  std::error_code ec;
  if (!fs::exists(workdir / kDefaultsFileName, ec)) return false;
  std::ostringstream message;
  TextOut console(message);
  try {
    if (read_defaults_file(ds, console, workdir)) return true;
  } catch (const ProgramExit& e) {
    throw SpecError(std::string(kDefaultsFileName) + ": " + e.message);
  }
  throw SpecError(std::string(kDefaultsFileName) + ": " + one_line(message.str()));
}

}  // namespace

DesignFile read_design_text(std::string_view text, std::string_view source, bool lines,
                            const fs::path& workdir, DesignRecord& ds) {
  toml::table root;
  try {
    root = toml::parse(text, source);
  } catch (const toml::parse_error& e) {
    std::string where(source);
    if (lines) where += ':' + std::to_string(e.source().begin.line);
    throw SpecError(where + ": " + printable(one_line(std::string(e.description()))));
  }
  const bool defaults = read_defaults(workdir, ds);
  return Reader(root, source, lines, defaults, ds).run(workdir);
}

DesignFile read_design_file(const fs::path& file, const fs::path& workdir, DesignRecord& ds) {
  const std::string name = file.string();
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in) throw SpecError(name + ": cannot read the design file");
  return read_design_text(text.str(), name, true, workdir, ds);
}

void prepare_analysis(const DesignFile& spec, DesignRecord& ds) {
  Control& c = ds.control;
  c.function = Function::kAnalysis;
  if (c.origin == Origin::kDistributedSynthesis) {
    c.next = NextOperation::kAskFrequencies;
    return;
  }
  // The analysis of a ladder offers Zo at the source and the load that ends
  // the synthesized ladder.
  c.next = NextOperation::kFromConfiguration;
  ds.ports.rs = spec.source_ohm.value_or(ds.design.system_impedance);
  ds.ports.rl = spec.load_ohm.value_or(
      c.configuration == Configuration::kDual ? ds.ladder.load_dual : ds.ladder.load_standard);
}

}  // namespace mx
