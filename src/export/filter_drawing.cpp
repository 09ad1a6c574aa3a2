#include "export/filter_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "export/filter_drawing_detail.h"
#include "export/picture_text.h"

namespace mx {
namespace {

using detail::Align;
using detail::Input;
using detail::Label;
using detail::Layer;
using detail::Layout;
using detail::Pen;
using detail::Piece;
using detail::Region;
using detail::RowItem;
using detail::RowPlan;
using detail::Scale;
using detail::Seg;
using detail::Sheet;
using detail::Tri;

using picture::exact;
using picture::fixed;
using picture::short_number;
using picture::text_width_em;
using picture::xml_text;

// Sheet geometry, paper millimetres with y down (the SVG frame of reference); the frame and the
// paper are in filter_drawing_detail.h.
using detail::kArrowHalf;
using detail::kArrowLen;
using detail::kCapRise;
using detail::kDescent;
using detail::kFrameB;
using detail::kFrameL;
using detail::kFrameR;
using detail::kFrameT;
using detail::kMmPerInch;
using detail::kSheetW;
constexpr double kRowLo = 14.0;  // x range of the rows of dimension texts
constexpr double kRowHi = 283.0;
constexpr double kViewTop = 16.0;
constexpr double kStubPaper = 16.0;        // drawn length of the source and load lines
constexpr double kBodyPaperMax = 225.0;    // longest the filter body may be drawn
constexpr double kSectionPaperMax = 36.0;  // tallest the half-section may be drawn
constexpr double kBlockX = 192.0;          // left edge of the notes and the title block
constexpr double kTitleRow = 7.5;          // height of a row of cells in the title block
constexpr double kTitleTop = kFrameB - 11.0 - 4.0 * kTitleRow;  // the title, four rows of cells
constexpr double kRowSpacing = 1.5;  // rotated texts in a row: pitch in text heights
// Horizontal dimension texts: the heights tried, largest first (2.5 mm is the least ISO 3098 asks
// of an A-size sheet, 2 mm still reads on a print), the clearance between neighbours and the
// pitch of the tiers, in text heights.
constexpr double kRowFonts[] = {2.5, 2.0};
constexpr double kRowClearance = 1.2;
constexpr double kTierPitch = 1.7;
constexpr double kLeaderGap = 0.6;  // between a leader's end and its text
// The datum feature symbol beside the bore's callout, in text heights: the frame round the letter
// and the space before it, so the row keeps room for both.
constexpr double kDatumSide = 1.5;
constexpr double kDatumEm = kDatumSide + 0.4;
const std::string kDatumAxis = "C";         // the bore axis, datum of the concentricity
constexpr double kGlyphShift = 0.36;        // rotated text: baseline offset that centres the glyphs
constexpr double kNumberFont = 1.8;         // section numbers under the view
constexpr double kTolerancesHeight = 20.4;  // the block of general tolerances above the title
constexpr double kNoteFont = 2.0, kNotePitch = 3.0;  // the notes' text and line pitch
// Paper offsets of the view, mm: the callout leaders from their texts to the bore (jogs and
// arrows), the section numbers, dimension lines and jogs of the leaders below the axis, the drop
// from the last text below to the caption's baseline and from it to the tables.
constexpr double kCalloutLeaders = 8.0;
constexpr double kBelowLeaders = 14.0;
constexpr double kCaptionDrop = 5.0;
constexpr double kBandGap = 3.0;
// The largest edge radius of a step face, inch: the step capacitance the
// synthesis compensates for is that of a square step, and a rounded edge
// lowers it; 0.002 inch is the sharp edge a lathe leaves without a deburring
// pass, a few percent of the step capacitance of the usual steps.
constexpr double kStepEdgeRadiusIn = 0.002;

const std::string kDia = "\u2300";
const char* const kProfileLayer = "PROFILE";

double dimension(float v, bool& bad) {
  const double x = static_cast<double>(v);
  if (!std::isfinite(x) || x < 0.0) {
    bad = true;
    return 0.0;
  }
  return x;
}

Input read_input(const FilterDrawingData& d) {
  Input in;
  in.n = d.sections.size();
  const auto take = [&](const DrawingLine& l, bool stub) {
    Piece p;
    p.stub = stub;
    p.len = stub ? 0.0 : dimension(l.length, in.bad);
    p.d = dimension(l.inner, in.bad);
    p.b = dimension(l.outer, in.bad);
    p.er = static_cast<double>(l.er);
    if (!std::isfinite(p.er)) {
      in.bad = true;
      p.er = 1.0;
    }
    p.zo = static_cast<double>(l.zo);
    return p;
  };
  in.pieces.push_back(take(d.source, true));
  in.x.push_back(0.0);
  for (const DrawingLine& l : d.sections) {
    Piece p = take(l, false);
    p.xa = in.x.back();
    p.xb = p.xa + p.len;
    in.x.push_back(p.xb);
    in.pieces.push_back(p);
  }
  in.pieces.push_back(take(d.load, true));
  return in;
}

std::string inch_mm(double v) { return fixed(v, 4) + " [" + fixed(v * kMmPerInch, 3) + "]"; }

// Largest drawing scale from the 1, 1.5, 2, 2.5, 3, 4, 5 x 10^k series not above `fit`.
Scale choose_scale(double fit) {
  if (!(fit > 0.0) || !std::isfinite(fit)) return Scale{1.0, "1:1"};
  static constexpr double kSeries[] = {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 10.0};
  if (fit >= 1.0) {
    const double dec = std::pow(10.0, std::floor(std::log10(fit)));
    double best = 1.0;
    for (const double m : kSeries) {
      if (m * dec <= fit * (1.0 + 1e-9)) best = m;
    }
    const double a = best * dec;
    return Scale{a, short_number(a) + ":1"};
  }
  const double inv = 1.0 / fit;
  const double dec = std::pow(10.0, std::floor(std::log10(inv)));
  double best = 10.0;
  for (auto it = std::rbegin(kSeries); it != std::rend(kSeries); ++it) {
    if (*it * dec >= inv * (1.0 - 1e-9)) best = *it;
  }
  const double b = best * dec;
  return Scale{1.0 / b, "1:" + short_number(b)};
}

// Spreads the texts along [lo, hi] at least `gap` apart, each as near its anchor as the others
// allow, keeping their order (so leaders never cross). Items must be sorted by anchor.
void spread(std::vector<RowItem>& items, double gap, double lo, double hi) {
  const std::size_t n = items.size();
  if (n == 0) return;
  if (n > 1 && gap * static_cast<double>(n - 1) > hi - lo)
    gap = (hi - lo) / static_cast<double>(n - 1);
  // Clusters of texts packed at `gap`, each centred on the mean of its anchors.
  struct Cluster {
    std::size_t first, count;
    double sum;
    double start(double g) const {
      return sum / static_cast<double>(count) - g * static_cast<double>(count - 1) / 2.0;
    }
  };
  std::vector<Cluster> cl;
  for (std::size_t i = 0; i < n; ++i) {
    const double a = std::isfinite(items[i].anchor) ? std::clamp(items[i].anchor, lo, hi) : lo;
    cl.push_back(Cluster{i, 1, a});
    while (cl.size() > 1) {
      const Cluster& b = cl[cl.size() - 1];
      const Cluster& a2 = cl[cl.size() - 2];
      const double end_a = a2.start(gap) + gap * static_cast<double>(a2.count - 1);
      if (b.start(gap) >= end_a + gap) break;
      Cluster merged{a2.first, a2.count + b.count, a2.sum + b.sum};
      cl.pop_back();
      cl.back() = merged;
    }
  }
  for (const Cluster& c : cl) {
    for (std::size_t j = 0; j < c.count; ++j) {
      items[c.first + j].pos = c.start(gap) + gap * static_cast<double>(j);
    }
  }
  // Keep the row inside [lo, hi].
  items[0].pos = std::max(items[0].pos, lo);
  for (std::size_t i = 1; i < n; ++i) items[i].pos = std::max(items[i].pos, items[i - 1].pos + gap);
  items[n - 1].pos = std::min(items[n - 1].pos, hi);
  for (std::size_t i = n - 1; i-- > 0;)
    items[i].pos = std::min(items[i].pos, items[i + 1].pos - gap);
}

// Em width of the widest text of a row, with or without the datum feature symbol beside one.
double widest(const std::vector<RowItem>& items, bool with_datum = false) {
  double w = 0.0;
  for (const RowItem& it : items)
    w = std::max(w, text_width_em(it.text) + (it.datum && with_datum ? kDatumEm : 0.0));
  return w;
}

RowPlan plan_row(const std::vector<RowItem>& items) {
  const double em = widest(items, true);
  const double count = static_cast<double>(items.size());
  for (const double font : kRowFonts) {
    const double w = em * font;
    for (const int tiers : {1, 2}) {
      const double gap = tiers == 1 ? w + kRowClearance : w / 2.0 + kRowClearance;
      if (gap * std::max(count - 1.0, 0.0) > kRowHi - kRowLo - w) continue;
      return RowPlan{true, tiers, font, gap, w / 2.0, font * kTierPitch * tiers};
    }
  }
  const double font =
      std::clamp((kRowHi - kRowLo) / (kRowSpacing * std::max(count, 1.0)), 1.2, 2.5);
  // The datum symbol of a turned row runs on past the row's texts into the margin above them.
  return RowPlan{false, 1, font, font * kRowSpacing, 0.0, widest(items) * font};
}

// Spreads a planned row along the sheet and deals its texts to the tiers.
void set_row(std::vector<RowItem>& items, const RowPlan& plan) {
  spread(items, plan.gap, kRowLo + plan.inset, kRowHi - plan.inset);
  for (std::size_t i = 0; i < items.size(); ++i)
    items[i].tier = plan.tiers == 2 ? static_cast<int>(i % 2) : 0;
}

// Words of `s` wrapped to lines no wider than `width` mm at text height h.
std::vector<std::string> wrap(const std::string& s, double width, double h) {
  std::vector<std::string> lines;
  std::string cur;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t j = std::min(s.find(' ', i), s.size());
    const std::string word = s.substr(i, j - i);
    i = j + 1;
    if (word.empty()) continue;
    const std::string trial = cur.empty() ? word : cur + " " + word;
    if (!cur.empty() && text_width_em(trial) * h > width) {
      lines.push_back(cur);
      cur = word;
    } else {
      cur = trial;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::string design_line(const FilterDrawingData& d, std::size_t n) {
  std::string s =
      "Design: " + (d.response.empty() ? std::string("low-pass") : d.response + " low-pass") +
      ", N = " + std::to_string(n);
  const double fc = static_cast<double>(d.cutoff_mhz);
  if (fc > 0.0 && std::isfinite(fc)) s += ", FC1 = " + short_number(fc) + " MHz";
  const double am = static_cast<double>(d.ripple_db);
  if (am > 0.0 && std::isfinite(am)) s += ", ripple Am = " + short_number(am) + " dB";
  if (d.configuration == "standard") {
    s += ", standard configuration (shunt C first)";
  } else if (d.configuration == "dual") {
    s += ", dual configuration (series L first)";
  } else if (!d.configuration.empty()) {
    s += ", " + d.configuration + " configuration";
  }
  return s + ".";
}

// "±0.0010 [±0.025]"; a tolerance that is negative or not finite shows as a dash.
std::string plus_minus(float tol) {
  const double t = static_cast<double>(tol);
  if (!std::isfinite(t) || t < 0.0) return "\u2014";
  return "\u00b1" + fixed(t, 4) + " [\u00b1" + fixed(t * kMmPerInch, 3) + "]";
}

// "◎ ⌀0.0005 [0.013] C": the diametral zone about datum C; a dash when negative or not finite.
std::string concentricity(float zone) {
  const double t = static_cast<double>(zone);
  if (!std::isfinite(t) || t < 0.0) return "\u2014";
  return "\u25ce " + kDia + fixed(t, 4) + " [" + fixed(t * kMmPerInch, 3) + "] C";
}

// A cut list cell with the tolerance stated for its dimension, "0.1747 [4.437] ±0.0004"; the
// cell alone when none is (the general tolerance holds).
std::string with_stated(std::string cell, float tol) {
  const double t = static_cast<double>(tol);
  if (!std::isfinite(t) || t < 0.0) return cell;
  // Rounded down to the 0.0001 inch shown, so the sheet never allows more than was stated.
  return cell + " \u00b1" + fixed(std::floor(t * 1e4 * (1.0 + 1e-6)) / 1e4, 4);
}

// The finish the conductor losses were computed for: RMS roughness, micro-inch and micrometre.
std::string surface_finish(float roughness_uin) {
  const double r = static_cast<double>(roughness_uin);
  if (!std::isfinite(r) || r <= 0.0) return "as fine as practical";
  return short_number(r, 3) + " \u00b5in [" + fixed(r * kMmPerInch / 1000.0, 2) +
         " \u00b5m] RMS or finer";
}

// Conductor metal from the resistivity the losses assume: a well-known metal within 3 % of it is
// named; any metal of that resistivity or lower will do.
std::string material_note(const FilterDrawingData& d) {
  static constexpr std::pair<const char*, double> kMetals[] = {
      {"silver", 1.59}, {"copper", 1.72}, {"gold", 2.44}, {"aluminium", 2.65}};
  const double rho = static_cast<double>(d.resistivity_uohm_cm);
  std::string s = "Material: ";
  if (!std::isfinite(rho) || rho <= 0.0) {
    s += "conductor metal as agreed (the design gives no resistivity)";
  } else {
    std::string named;
    for (const auto& [metal, value] : kMetals) {
      if (std::fabs(rho - value) <= 0.03 * value) named = std::string(metal) + ", or any ";
    }
    s += named + "conductor metal of resistivity " + short_number(rho, 3) +
         " \u00b5\u03a9\u00b7cm or lower";
  }
  return s + ".";
}

// The named metal of the resistivity the losses assume (within 3 %), or empty.
std::string named_metal(const FilterDrawingData& d) {
  static constexpr std::pair<const char*, double> kMetals[] = {
      {"Silver", 1.59}, {"Copper", 1.72}, {"Gold", 2.44}, {"Aluminium", 2.65}};
  const double rho = static_cast<double>(d.resistivity_uohm_cm);
  if (!std::isfinite(rho) || rho <= 0.0) return {};
  for (const auto& [metal, value] : kMetals)
    if (std::fabs(rho - value) <= 0.03 * value) return metal;
  return {};
}

// The title block's material and finish: silver or gold is a plating on copper or brass.
std::pair<std::string, std::string> material_and_finish(const FilterDrawingData& d) {
  const std::string metal = named_metal(d);
  if (metal == "Silver" || metal == "Gold") return {"Copper or brass", metal + " plated"};
  if (metal.empty()) return {"See note", "\u2014"};
  return {metal, "Unplated"};
}

// What a shaded section is and the loss tangent the losses assume.
std::string dielectric_note(const FilterDrawingData& d) {
  std::string s =
      "Shaded sections are filled with dielectric from centre conductor to bore "
      "(a sleeve on D, a sliding fit in B), Er as listed";
  const double tan_d = static_cast<double>(d.loss_tangent);
  if (std::isfinite(tan_d) && tan_d > 0.0)
    s += ", loss tangent " + short_number(tan_d, 3) + " or lower";
  return s + ".";
}

std::vector<std::string> notes_of(const FilterDrawingData& d, const Input& in) {
  std::vector<std::string> notes;
  notes.push_back("Dimensions in inches, millimetres in brackets [ ]; " + kDia + " = diameter.");
  notes.push_back(
      "Step positions are measured from datum A, the source-end face of section 1. "
      "Values in parentheses are section lengths, for reference only.");
  notes.push_back(design_line(d, in.n));
  if (!d.lengths_note.empty()) notes.push_back(d.lengths_note);
  bool dielectric = false;
  for (const Piece& p : in.pieces) dielectric = dielectric || p.er != 1.0;
  if (dielectric) notes.push_back(dielectric_note(d));
  notes.push_back(material_note(d));
  notes.push_back("Step edges (where D or B changes) stay sharp, edge radius " +
                  inch_mm(kStepEdgeRadiusIn) +
                  " max: part of the design's step capacitance. Break all other edges.");
  if (in.bad) notes.push_back("Input values that were negative or not finite are drawn as 0.");
  // Who drew it is the title block's DRAWN field.
  return notes;
}

// The first-angle projection symbol (ISO 5456-2) centred at paper (X, Y): a truncated cone seen
// from the side, its end view (two circles) to the right.
void first_angle_symbol(Sheet& sh, double X, double Y) {
  const double h = 1.9, small = 1.0, len = 3.4;  // half heights and length, mm
  const double left = X - 5.0;
  sh.path({{left, Y - small},
           {left + len, Y - h},
           {left + len, Y + h},
           {left, Y + small},
           {left, Y - small}},
          Layer::Text, Pen::Thin);
  const double cx = X + 4.0;
  for (const double r : {h, small}) {
    constexpr int kSides = 24;
    std::vector<std::pair<double, double>> ring;
    for (int i = 0; i <= kSides; ++i) {
      const double a = 2.0 * std::numbers::pi * i / kSides;
      ring.emplace_back(cx + r * std::cos(a), Y + r * std::sin(a));
    }
    sh.path(ring, Layer::Text, Pen::Thin);
  }
  sh.line(left - 1.0, Y, cx + h + 1.0, Y, Layer::Text, Pen::Center);
}

// The feature control frame of the centre conductor's diameters, left of the caption: each D
// concentric to datum C within the zone. Left out when the zone is not a number the table can
// show either (the table then has a dash).
void concentricity_frame(Sheet& sh, double y_base, float zone) {
  const double t = static_cast<double>(zone);
  if (!std::isfinite(t) || t < 0.0) return;
  constexpr double kFont = 2.5, kHeight = 4.2, kPad = 1.2;
  const std::string lead = "EACH D " + kDia;
  const std::string cells[] = {"\u25ce", kDia + fixed(t, 4) + " [" + fixed(t * kMmPerInch, 3) + "]",
                               kDatumAxis};
  double x = kRowLo + 1.0;
  sh.text(x, y_base, lead, kFont, Align::Left);
  x += text_width_em(lead) * kFont + 1.5;
  const double top = y_base - kHeight + 1.0, bottom = top + kHeight;
  std::vector<double> edges{x};
  for (const std::string& cell : cells) {
    const double w = text_width_em(cell) * kFont + 2.0 * kPad;
    sh.text(edges.back() + w / 2.0, y_base, cell, kFont, Align::Center);
    edges.push_back(edges.back() + w);
  }
  sh.path({{edges.front(), top},
           {edges.back(), top},
           {edges.back(), bottom},
           {edges.front(), bottom},
           {edges.front(), top}},
          Layer::Text, Pen::Thin);
  for (std::size_t i = 1; i + 1 < edges.size(); ++i)
    sh.line(edges[i], top, edges[i], bottom, Layer::Text, Pen::Thin);
}

}  // namespace

namespace detail {

Layout plan_sheet(const FilterDrawingData& d) {
  Layout L;
  L.in = read_input(d);
  Input& in = L.in;
  const std::size_t n = in.n;
  std::vector<Piece>& pieces = in.pieces;
  std::vector<RowItem>& below = L.below;
  std::vector<RowItem>& callouts = L.callouts;
  auto& bore_runs = L.bore_runs;

  // The texts come first: their sizes decide how much height is left for the view.
  for (std::size_t i = 0; i <= n; ++i) {
    if (i > 0) {
      RowItem len;
      len.text = "(" + inch_mm(pieces[i].len) + ")";
      len.is_length = true;
      below.push_back(len);
    }
    RowItem ord;
    ord.text = i == 0 ? "0 DATUM A" : inch_mm(in.x[i]);
    below.push_back(ord);
  }
  for (const Piece& p : pieces) {
    RowItem c;
    c.text = "D " + kDia + inch_mm(p.d);
    c.feature = p.d / 2.0;
    callouts.push_back(c);
  }
  // Bore runs: consecutive pieces with the same B get one callout.
  for (std::size_t j = 0; j < pieces.size(); ++j) {
    if (j > 0 && pieces[j].b == pieces[j - 1].b) {
      bore_runs.back().second = j;
    } else {
      bore_runs.emplace_back(j, j);
    }
  }
  for (const auto& run : bore_runs) {
    RowItem c;
    c.text = "B " + kDia + inch_mm(pieces[run.first].b);
    c.feature = pieces[run.first].b / 2.0;
    // The bore is the datum feature; with more than one bore, the first one (at datum A).
    c.datum = callouts.size() == pieces.size();
    callouts.push_back(c);
  }
  L.call_plan = plan_row(callouts);
  RowPlan& below_plan = L.below_plan = plan_row(below);
  const double len_call = L.call_plan.depth;
  double len_below = below_plan.depth;

  auto& note_lines = L.note_lines;
  const std::vector<std::string> notes = notes_of(d, in);
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const auto lines = wrap(notes[i], kFrameR - kBlockX - 8.0, kNoteFont);
    for (std::size_t j = 0; j < lines.size(); ++j) {
      note_lines.emplace_back((j == 0 ? std::to_string(i + 1) + ". " : std::string()) + lines[j],
                              j == 0);
    }
  }
  const double notes_need =
      6.0 + kNotePitch * static_cast<double>(note_lines.size()) + kTolerancesHeight;
  const std::size_t rows = L.rows = n + 4;  // table title, header, source, sections, load
  const double band_need =
      std::max(kFrameB - kTitleTop + notes_need, 2.9 * static_cast<double>(rows));
  const double band_top_max = kFrameB - band_need;
  // View: callout texts, 8 mm of leaders, the half-section, 14 mm of dimension lines, the texts
  // below and the caption.
  const double total = in.x.back();
  double max_r = 0.0;
  for (const Piece& p : pieces) max_r = std::max({max_r, p.d / 2.0, p.b / 2.0});
  const auto scale_for = [&](double texts_below) {
    const double section_max = std::clamp(band_top_max - 2.0 -
                                              (kViewTop + len_call + kCalloutLeaders +
                                               kBelowLeaders + texts_below + kCaptionDrop + 2.0),
                                          2.0, kSectionPaperMax);
    double fit = std::numeric_limits<double>::infinity();
    if (total > 0.0) fit = std::min(fit, kBodyPaperMax / (total * kMmPerInch));
    if (max_r > 0.0) fit = std::min(fit, section_max / (max_r * kMmPerInch));
    return choose_scale(fit);
  };
  // A section too narrow on the sheet for its number carries it in its length text; that text
  // grows, which may call for a smaller scale (then narrower sections), so this is done twice.
  std::vector<bool>& narrow = L.narrow;
  narrow.assign(n + 1, false);
  const auto mark_narrow = [&](double k_try) {
    bool changed = false;
    for (std::size_t i = 1; i <= n; ++i) {
      const std::string num = std::to_string(i);
      if (narrow[i] || pieces[i].len * k_try >= text_width_em(num) * kNumberFont + 0.8) continue;
      narrow[i] = changed = true;
      below[2 * i - 1].text += " SECT " + num;
    }
    if (changed) {
      below_plan = plan_row(below);
      len_below = below_plan.depth;
    }
    return changed;
  };
  Scale& scale = L.scale = scale_for(len_below);
  if (mark_narrow(kMmPerInch * scale.s)) {
    scale = scale_for(len_below);
    mark_narrow(kMmPerInch * scale.s);
  }

  Sheet& sh = L.paper;
  sh.k = kMmPerInch * scale.s;
  sh.scale_text = scale.text;
  const double k = sh.k;
  const double stub = kStubPaper / k;
  sh.ox = kSheetW / 2.0 - total * k / 2.0;
  const double y_call = L.y_call = kViewTop + len_call;  // bottom end of the callout texts
  const double y_axis = L.y_axis = y_call + kCalloutLeaders + max_r * k;
  sh.oy = y_axis;
  pieces.front().xa = -stub;
  pieces.front().xb = 0.0;
  pieces.back().xa = total;
  pieces.back().xb = total + stub;

  L.y_text = y_axis + kBelowLeaders;
  L.y_caption = L.y_text + len_below + kCaptionDrop;
  L.band_top = L.y_caption + kBandGap;
  return L;
}

// The half-section: both conductor profiles with the steps between them, the profile for CAM,
// the break lines of the end lines, the fills and the axis.
Sheet half_section(const Layout& L) {
  Sheet sh = L.paper;
  const Input& in = L.in;
  const std::vector<Piece>& pieces = in.pieces;
  const std::size_t n = in.n;
  const double k = sh.k, total = in.x.back();
  // Outline: both conductor profiles, piece by piece, and the steps between them.
  for (const Piece& p : pieces) {
    if (p.xb > p.xa) {
      sh.model_line(p.xa, p.d / 2.0, p.xb, p.d / 2.0, Layer::Outline, Pen::Thick);
      sh.model_line(p.xa, p.b / 2.0, p.xb, p.b / 2.0, Layer::Outline, Pen::Thick);
    }
  }
  for (std::size_t j = 0; j + 1 < pieces.size(); ++j) {
    const Piece& a = pieces[j];
    const Piece& b = pieces[j + 1];
    const double x = a.xb;
    if (a.d != b.d) sh.model_line(x, a.d / 2.0, x, b.d / 2.0, Layer::Outline, Pen::Thick);
    if (a.b != b.b) sh.model_line(x, a.b / 2.0, x, b.b / 2.0, Layer::Outline, Pen::Thick);
    const double lo = std::max(a.d, b.d) / 2.0, hi = std::min(a.b, b.b) / 2.0;
    if (a.er != b.er && lo < hi) sh.model_line(x, lo, x, hi, Layer::Outline, Pen::Thin);
  }
  // Profile for CAM: datum A on the axis, up and along every section's D/2, down to the axis at
  // the load-end face; closing runs back along the axis. Repeated points are left out.
  const auto profile_point = [&sh](double x, double y) {
    if (sh.profile.empty() || sh.profile.back() != std::make_pair(x, y))
      sh.profile.emplace_back(x, y);
  };
  profile_point(0.0, 0.0);
  for (std::size_t i = 1; i <= n; ++i) {
    profile_point(pieces[i].xa, pieces[i].d / 2.0);
    profile_point(pieces[i].xb, pieces[i].d / 2.0);
  }
  profile_point(total, 0.0);
  // Break lines where the source and load lines are cut off.
  for (const Piece* p : {&pieces.front(), &pieces.back()}) {
    const double h = std::max(p->d, p->b) / 2.0;
    if (!(h > 0.0)) continue;
    const double xe = p == &pieces.front() ? p->xa : p->xb;
    const double w = 0.9 / k;
    const double pts[][2] = {{xe, 0.0},          {xe, 0.38 * h}, {xe + w, 0.46 * h},
                             {xe - w, 0.56 * h}, {xe, 0.64 * h}, {xe, h}};
    for (std::size_t i = 1; i < 6; ++i) {
      sh.model_line(pts[i - 1][0], pts[i - 1][1], pts[i][0], pts[i][1], Layer::Outline, Pen::Thin);
    }
  }
  // Section view fills (SVG only): the centre conductor and any dielectric.
  Region metal;
  metal.dielectric = false;
  metal.xs.push_back(pieces.front().xa);
  metal.ys.push_back(0.0);
  for (const Piece& p : pieces) {
    metal.xs.insert(metal.xs.end(), {p.xa, p.xb});
    metal.ys.insert(metal.ys.end(), {p.d / 2.0, p.d / 2.0});
  }
  metal.xs.push_back(pieces.back().xb);
  metal.ys.push_back(0.0);
  sh.regions.push_back(metal);
  for (const Piece& p : pieces) {
    if (p.er != 1.0 && p.xb > p.xa && p.b > p.d) {
      sh.regions.push_back(
          Region{{p.xa, p.xb, p.xb, p.xa}, {p.d / 2.0, p.d / 2.0, p.b / 2.0, p.b / 2.0}, true});
    }
  }
  sh.model_line(pieces.front().xa - 3.0 / k, 0.0, pieces.back().xb + 3.0 / k, 0.0, Layer::Center,
                Pen::Center);

  return sh;
}

// The dimension rows: the diameter callouts above the view; below it the section numbers, the
// chain of section lengths and the ordinates from datum A; the caption with the concentricity.
Sheet dimension_rows(const FilterDrawingData& d, const Layout& L) {
  Sheet sh = L.paper;
  const Input& in = L.in;
  const std::vector<Piece>& pieces = in.pieces;
  const std::size_t n = in.n;
  const double total = in.x.back(), stub = kStubPaper / sh.k;
  const double y_call = L.y_call, y_axis = L.y_axis, y_text = L.y_text;
  std::vector<RowItem> callouts = L.callouts, below = L.below;
  // Diameter callouts above the view.
  for (std::size_t j = 0; j < pieces.size(); ++j)
    callouts[j].anchor = sh.px((pieces[j].xa + pieces[j].xb) / 2.0);
  for (std::size_t r = 0; r < L.bore_runs.size(); ++r) {
    callouts[pieces.size() + r].anchor =
        sh.px((pieces[L.bore_runs[r].first].xa + pieces[L.bore_runs[r].second].xb) / 2.0);
  }
  std::stable_sort(callouts.begin(), callouts.end(),
                   [](const RowItem& a, const RowItem& b) { return a.anchor < b.anchor; });
  set_row(callouts, L.call_plan);
  const double f_call = L.call_plan.font;
  for (const RowItem& c : callouts) {
    const double a = std::clamp(c.anchor, kRowLo, kRowHi);
    const double tip = sh.py(c.feature);
    double start = y_call + 0.8;  // where the leader leaves the text
    const double side = kDatumSide * f_call;
    if (L.call_plan.horizontal) {
      const double base = y_call - kLeaderGap - kDescent * f_call -
                          kTierPitch * f_call * static_cast<double>(c.tier);
      const double shift = c.datum ? kDatumEm * f_call / 2.0 : 0.0;
      sh.text(c.pos - shift, base, c.text, f_call, Align::Center);
      start = base + kDescent * f_call + kLeaderGap;
      if (c.datum) {
        // Datum feature symbol after the bore's size: the letter framed, tied to the size's leader
        // by a filled triangle, so the bore's axis is datum C.
        const double bx1 = c.pos - shift + text_width_em(c.text) * f_call / 2.0 + kDatumEm * f_call;
        const double bx0 = bx1 - side, by1 = base + 0.35 * f_call, by0 = by1 - side;
        sh.path({{bx0, by0}, {bx1, by0}, {bx1, by1}, {bx0, by1}, {bx0, by0}}, Layer::Text,
                Pen::Thin);
        sh.text((bx0 + bx1) / 2.0, by1 - 0.3 * f_call, kDatumAxis, f_call, Align::Center);
        const double ys = start + 0.8, mid = (bx0 + bx1) / 2.0, apex = c.pos + 1.0;
        sh.path({{mid, by1}, {mid, ys}, {apex, ys}}, Layer::Dimensions, Pen::Thin);
        sh.tris.push_back(Tri{{sh.mx(apex), sh.mx(c.pos), sh.mx(c.pos)},
                              {sh.my(ys), sh.my(ys - 0.6), sh.my(ys + 0.6)}});
      }
    } else {
      sh.text(c.pos + kGlyphShift * f_call, y_call, c.text, f_call, Align::Left, true);
      if (c.datum) {
        // Turned rows: the framed letter follows the text up the sheet.
        const double by1 = y_call - (text_width_em(c.text) + 0.4) * f_call, by0 = by1 - side;
        const double bx0 = c.pos - side / 2.0, bx1 = c.pos + side / 2.0;
        sh.path({{bx0, by0}, {bx1, by0}, {bx1, by1}, {bx0, by1}, {bx0, by0}}, Layer::Text,
                Pen::Thin);
        sh.text(c.pos + kGlyphShift * f_call, by1 - 0.25 * f_call, kDatumAxis, f_call, Align::Left,
                true);
      }
    }
    sh.path({{c.pos, start}, {c.pos, y_call + 2.0}, {a, y_call + 6.0}, {a, tip - kArrowLen}},
            Layer::Dimensions, Pen::Thin);
    sh.arrow(a, tip, 0.0, 1.0);
  }

  // Below the axis: section numbers, the chain of section lengths and the ordinates from datum A.
  const double y_num = y_axis + 4.2;
  const double y_dim = y_axis + 6.5;
  const double y_jog1 = y_axis + 9.0;
  const double y_jog2 = y_axis + 13.0;
  for (std::size_t i = 1; i <= n; ++i) {
    const double xa = sh.px(in.x[i - 1]), xb = sh.px(in.x[i]);
    const double w = xb - xa;
    if (!L.narrow[i])
      sh.text((xa + xb) / 2.0, y_num, std::to_string(i), kNumberFont, Align::Center);
    if (w > 2.0 * kArrowLen + 0.6) {
      sh.line(xa + kArrowLen, y_dim, xb - kArrowLen, y_dim, Layer::Dimensions, Pen::Thin);
      sh.arrow(xa, y_dim, -1.0, 0.0);
      sh.arrow(xb, y_dim, 1.0, 0.0);
    } else if (w > 0.0) {
      // Too short for arrows inside: they point inward from outside the extension lines.
      sh.line(xa - kArrowLen - 1.2, y_dim, xb + kArrowLen + 1.2, y_dim, Layer::Dimensions,
              Pen::Thin);
      sh.arrow(xa, y_dim, 1.0, 0.0);
      sh.arrow(xb, y_dim, -1.0, 0.0);
    }
  }
  const double stub_mid_l = sh.px(-stub / 2.0), stub_mid_r = sh.px(total + stub / 2.0);
  sh.text(stub_mid_l, y_num, "SOURCE LINE", 1.8, Align::Center);
  sh.text(stub_mid_r, y_num, "LOAD LINE", 1.8, Align::Center);
  // below holds ordinate 0, length 1, ordinate 1, length 2, ... ordinate N.
  for (std::size_t i = 0; i < below.size(); ++i) {
    const std::size_t s = (i + 1) / 2;
    below[i].anchor =
        below[i].is_length ? sh.px((in.x[s - 1] + in.x[s]) / 2.0) : sh.px(in.x[i / 2]);
  }
  std::stable_sort(below.begin(), below.end(),
                   [](const RowItem& a, const RowItem& b) { return a.anchor < b.anchor; });
  set_row(below, L.below_plan);
  const double f_below = L.below_plan.font;
  for (const RowItem& it : below) {
    const double a = std::clamp(it.anchor, kRowLo, kRowHi);
    const double base =
        y_text + kCapRise * f_below + kTierPitch * f_below * static_cast<double>(it.tier);
    const double end =
        L.below_plan.horizontal ? base - kCapRise * f_below - kLeaderGap : y_text - 0.6;
    sh.path(
        {{a, it.is_length ? y_dim : y_axis + 1.0}, {a, y_jog1}, {it.pos, y_jog2}, {it.pos, end}},
        Layer::Dimensions, Pen::Thin);
    if (L.below_plan.horizontal) {
      sh.text(it.pos, base, it.text, f_below, Align::Center);
    } else {
      sh.text(it.pos + kGlyphShift * f_below, y_text, it.text, f_below, Align::Right, true);
    }
  }
  const double y_caption = L.y_caption;
  sh.text(kSheetW / 2.0, y_caption, "AXIAL HALF-SECTION   SCALE " + L.scale.text, 2.5,
          Align::Center, false, true);
  concentricity_frame(sh, y_caption, d.concentricity_in);

  return sh;
}

// The cut list: a row of figures for each line and section, under the view.
Sheet cut_list(const FilterDrawingData& d, const Layout& L) {
  Sheet sh = L.paper;
  const Input& in = L.in;
  const std::vector<Piece>& pieces = in.pieces;
  const std::size_t rows = L.rows;
  // Cut list.
  const double band_top = L.band_top;
  const double row_h = std::min(4.5, (kFrameB - band_top) / static_cast<double>(rows));
  const double tf = std::clamp(row_h * 0.62, 0.8, 2.3);
  static constexpr double kCols[] = {17.0, 27.0, 27.0, 27.0, 27.0, 27.0, 11.0, 13.0};
  std::vector<double> cx{kFrameL};
  for (const double w : kCols) cx.push_back(cx.back() + w);
  const auto row_y = [&](std::size_t r) { return band_top + row_h * static_cast<double>(r); };
  sh.text(cx[0] + 1.5, row_y(1) - row_h * 0.3, "CUT LIST   inch [mm]", tf, Align::Left, false,
          true);
  const char* const heads[] = {"Section", "Start from A", "End from A", "Length",
                               "Inner D", "Bore B",       "Er",         "Zo \u03a9"};
  for (std::size_t c = 0; c < 8; ++c) {
    sh.text((cx[c] + cx[c + 1]) / 2.0, row_y(2) - row_h * 0.3, heads[c], tf, Align::Center, false,
            true);
  }
  // The cells of each row; a stated tolerance beside its dimension may call for a smaller text.
  std::vector<std::array<std::string, 8>> cut_rows;
  double cut_font = tf;
  for (std::size_t j = 0; j < pieces.size(); ++j) {
    const Piece& p = pieces[j];
    const std::string item =
        j == 0 ? "Source line" : (j + 1 == pieces.size() ? "Load line" : std::to_string(j));
    std::string cells[8] = {item,
                            "\u2014",
                            "\u2014",
                            "\u2014",
                            kDia + inch_mm(p.d),
                            kDia + inch_mm(p.b),
                            short_number(p.er, 4),
                            p.zo > 0.0 && std::isfinite(p.zo) ? fixed(p.zo, 2) : "\u2014"};
    if (!p.stub) {
      cells[1] = inch_mm(p.xa);
      cells[2] = inch_mm(p.xb);
      cells[3] = inch_mm(p.len);
    }
    if (!p.stub && j >= 1 && j - 1 < d.stated.size()) {
      const FilterDrawingData::StatedTolerances& t = d.stated[j - 1];
      cells[3] = with_stated(cells[3], t.length);
      cells[4] = with_stated(cells[4], t.inner);
      cells[5] = with_stated(cells[5], t.outer);
      for (std::size_t c = 3; c < 6; ++c)
        cut_font = std::min(cut_font, (kCols[c] - 2.4) / text_width_em(cells[c]));
    }
    cut_rows.push_back(std::to_array(cells));
  }
  for (std::size_t j = 0; j < cut_rows.size(); ++j) {
    const std::array<std::string, 8>& cells = cut_rows[j];
    const double y = row_y(j + 3) - row_h * 0.3;
    sh.text((cx[0] + cx[1]) / 2.0, y, cells[0], cut_font, Align::Center);
    for (std::size_t c = 1; c < 8; ++c)
      sh.text(cx[c + 1] - 1.2, y, cells[c], cut_font, Align::Right);
  }
  for (std::size_t r = 0; r <= rows; ++r)
    sh.line(cx.front(), row_y(r), cx.back(), row_y(r), Layer::Text, Pen::Grid);
  for (std::size_t c = 0; c < cx.size(); ++c) {
    sh.line(cx[c], c == 0 || c + 1 == cx.size() ? row_y(0) : row_y(1), cx[c], row_y(rows),
            Layer::Text, Pen::Grid);
  }

  return sh;
}

// The numbered notes, beside the cut list.
Sheet notes_block(const Layout& L) {
  Sheet sh = L.paper;
  // Notes.
  double ny = L.band_top + 3.5;
  sh.text(kBlockX, ny, "NOTES", 2.5, Align::Left, false, true);
  ny += 1.5;
  for (const auto& [line, first] : L.note_lines) {
    ny += kNotePitch;
    sh.text(first ? kBlockX : kBlockX + 3.2, ny, line, kNoteFont, Align::Left);
  }

  return sh;
}

// The title block, the general tolerances boxed above it, and the sheet's frame.
Sheet title_block(const FilterDrawingData& d, const Layout& L) {
  Sheet sh = L.paper;
  const std::size_t n = L.in.n;
  // Title block and frame.
  const double tb_r = kFrameR, tb_b = kFrameB, tb_t = kTitleTop;
  const double r1 = tb_t + 11.0, r2 = r1 + kTitleRow, r3 = r2 + kTitleRow, r4 = r3 + kTitleRow;
  sh.line(kBlockX, tb_t, tb_r, tb_t, Layer::Text, Pen::Frame);
  sh.line(kBlockX, tb_t, kBlockX, tb_b, Layer::Text, Pen::Frame);
  for (const double r : {r1, r2, r3, r4}) sh.line(kBlockX, r, tb_r, r, Layer::Text, Pen::Grid);
  // Cell edges of each row, from the block's left edge.
  const auto cells = [&](double top, std::initializer_list<double> xs) {
    for (const double x : xs)
      sh.line(kBlockX + x, top, kBlockX + x, top + kTitleRow, Layer::Text, Pen::Grid);
  };
  cells(r1, {22.0, 47.5, 72.0});
  cells(r2, {47.5, 63.0});
  cells(r3, {31.5, 63.0});
  cells(r4, {47.5});
  sh.text(kBlockX + 2.0, tb_t + 5.0, "COAXIAL LOW-PASS FILTER", 3.2, Align::Left, false, true);
  std::string sub = (d.response.empty() ? std::string("Low-pass") : d.response) + ", " +
                    std::to_string(n) + (n == 1 ? " section" : " sections");
  const double fc = static_cast<double>(d.cutoff_mhz);
  if (fc > 0.0 && std::isfinite(fc)) sub += ", FC1 " + short_number(fc) + " MHz";
  if (!d.configuration.empty()) sub += ", " + d.configuration;
  sh.text(kBlockX + 2.0, tb_t + 9.2, sub, 2.2, Align::Left);
  const auto cell = [&](double x, double top, const std::string& cap, const std::string& val) {
    sh.text(x + 1.5, top + 2.3, cap, 1.5, Align::Left, false, false, true);
    sh.text(x + 1.5, top + 6.2, val, 2.3, Align::Left);
  };
  const auto or_dash = [](const std::string& v) { return v.empty() ? std::string("\u2014") : v; };
  cell(kBlockX, r1, "SCALE", L.scale.text);
  cell(kBlockX + 22.0, r1, "UNITS", "inch [mm]");
  cell(kBlockX + 47.5, r1, "DATE", or_dash(d.date));
  cell(kBlockX + 72.0, r1, "SHEET", "A4  1 of 1");
  cell(kBlockX, r2, "DWG NO.", drawing_number(d));
  cell(kBlockX + 47.5, r2, "REV", "A");
  cell(kBlockX + 63.0, r2, "PROJECTION", "");
  first_angle_symbol(sh, kBlockX + 84.0, r2 + 4.4);
  cell(kBlockX, r3, "DRAWN", or_dash(d.program_version));
  cell(kBlockX + 31.5, r3, "CHECKED", "");
  cell(kBlockX + 63.0, r3, "APPROVED", "");
  const auto [material, finish] = material_and_finish(d);
  cell(kBlockX, r4, "MATERIAL", material);
  cell(kBlockX + 47.5, r4, "FINISH", finish);

  // General tolerances and the surface finish, boxed above the title block.
  const double tol_t = kTitleTop - kTolerancesHeight;
  sh.line(kBlockX, tol_t, tb_r, tol_t, Layer::Text, Pen::Frame);
  sh.line(kBlockX, tol_t, kBlockX, tb_t, Layer::Text, Pen::Frame);
  sh.text(kBlockX + 2.0, tol_t + 3.6, "GENERAL TOLERANCES UNLESS STATED", 2.0, Align::Left, false,
          true);
  const std::pair<std::string, std::string> tolerances[] = {
      {"Lengths, step positions", plus_minus(d.length_tol_in)},
      {"Diameters D and B", plus_minus(d.diameter_tol_in)},
      {"Concentricity, D to bore axis C", concentricity(d.concentricity_in)},
      {"Surface finish, conductors", surface_finish(d.roughness_uin)}};
  for (std::size_t i = 0; i < std::size(tolerances); ++i) {
    const double y = tol_t + 7.4 + 3.4 * static_cast<double>(i);
    sh.text(kBlockX + 2.0, y, tolerances[i].first, 2.0, Align::Left);
    sh.text(kBlockX + 42.0, y, tolerances[i].second, 2.0, Align::Left);
  }
  sh.line(kFrameL, kFrameT, kFrameR, kFrameT, Layer::Text, Pen::Frame);
  sh.line(kFrameR, kFrameT, kFrameR, kFrameB, Layer::Text, Pen::Frame);
  sh.line(kFrameR, kFrameB, kFrameL, kFrameB, Layer::Text, Pen::Frame);
  sh.line(kFrameL, kFrameB, kFrameL, kFrameT, Layer::Text, Pen::Frame);
  return sh;
}

// Everything drawn on the paper of `to` is added to it.
void add(Sheet& to, const Sheet& part) {
  to.segs.insert(to.segs.end(), part.segs.begin(), part.segs.end());
  to.labels.insert(to.labels.end(), part.labels.begin(), part.labels.end());
  to.tris.insert(to.tris.end(), part.tris.begin(), part.tris.end());
  to.regions.insert(to.regions.end(), part.regions.begin(), part.regions.end());
  to.profile.insert(to.profile.end(), part.profile.begin(), part.profile.end());
}

Sheet build_sheet(const FilterDrawingData& d) {
  const Layout L = plan_sheet(d);
  Sheet sh = L.paper;
  for (const Sheet& part :
       {half_section(L), dimension_rows(d, L), cut_list(d, L), notes_block(L), title_block(d, L)})
    add(sh, part);
  return sh;
}

}  // namespace detail

namespace {

// ---- SVG -------------------------------------------------------------------------------------

std::string mm(double v) { return fixed(v, 3); }

const char* pen_attributes(Pen p) {
  switch (p) {
    case Pen::Thick:
      return "stroke=\"#000000\" stroke-width=\"0.5\" stroke-linecap=\"round\"";
    case Pen::Thin:
      return "stroke=\"#000000\" stroke-width=\"0.18\"";
    case Pen::Center:
      return "stroke=\"#000000\" stroke-width=\"0.18\" stroke-dasharray=\"8 1.5 1.5 1.5\"";
    case Pen::Grid:
      return "stroke=\"#000000\" stroke-width=\"0.25\"";
    case Pen::Frame:
      return "stroke=\"#000000\" stroke-width=\"0.5\" stroke-linecap=\"square\"";
  }
  return "";
}

const char* layer_name(Layer l) {
  switch (l) {
    case Layer::Outline:
      return "OUTLINE";
    case Layer::Center:
      return "CENTER";
    case Layer::Dimensions:
      return "DIMENSIONS";
    case Layer::Text:
      return "TEXT";
  }
  return "0";
}

// ---- DXF -------------------------------------------------------------------------------------

void pair(std::string& out, int code, const std::string& value) {
  std::string c = std::to_string(code);
  if (c.size() < 3) c.insert(0, 3 - c.size(), ' ');
  out += c;
  out += '\n';
  out += value;
  out += '\n';
}

// Text for an R12 TEXT entity: ASCII only; the diameter sign becomes %%c, dashes '-', the ohm sign
// "ohm", anything else \U+XXXX.
std::string dxf_text(const std::string& s) {
  const std::string clean = picture::clean_text(s);
  std::string out;
  for (std::size_t i = 0; i < clean.size();) {
    const auto c = static_cast<unsigned char>(clean[i]);
    if (c < 0x80) {
      out += c == '%' ? std::string("%%%") : std::string(1, static_cast<char>(c));
      ++i;
      continue;
    }
    const std::size_t len = c >= 0xF0 ? 4 : (c >= 0xE0 ? 3 : 2);
    unsigned cp = c & (len == 2 ? 0x1Fu : (len == 3 ? 0x0Fu : 0x07u));
    for (std::size_t j = 1; j < len && i + j < clean.size(); ++j) {
      cp = (cp << 6) | (static_cast<unsigned char>(clean[i + j]) & 0x3Fu);
    }
    i += len;
    if (cp == 0x2300 || cp == 0x00D8 || cp == 0x00F8) {
      out += "%%c";
    } else if (cp == 0x2014 || cp == 0x2013 || cp == 0x2212) {
      out += "-";
    } else if (cp == 0x03A9 || cp == 0x2126) {
      out += "ohm";
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      std::string hex;
      for (int shift = cp > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
        hex += kHex[(cp >> shift) & 0xFu];
      out += "\\U+" + hex;
    }
  }
  return out;
}

}  // namespace

detail::Box detail::text_box(const Sheet& sh, const Label& l) {
  const double h = l.height * sh.k;
  const double w = text_width_em(l.text) * h;
  const double X = sh.px(l.x), Y = sh.py(l.y);
  // Along the text: u from the insertion point; across it: v up from the baseline.
  const double u0 = l.align == Align::Left ? 0.0 : (l.align == Align::Center ? -w / 2.0 : -w);
  const double u1 = u0 + w, v0 = -kDescent * h, v1 = kCapRise * h;
  if (l.vertical) return Box{X - v1, Y - u1, X - v0, Y - u0};  // reads upward: u runs up the sheet
  return Box{X + u0, Y - v1, X + u1, Y - v0};
}

std::string drawing_number(const FilterDrawingData& d) {
  const Input in = read_input(d);
  std::string figures = design_line(d, in.n);
  // Each piece appended part by part (text put before a temporary string
  // makes GCC 12 warn falsely, -Wrestrict).
  for (const Piece& p : in.pieces) {
    figures += '|';
    figures += fixed(p.len, 4);
    figures += ',';
    figures += fixed(p.d, 4);
    figures += ',';
    figures += fixed(p.b, 4);
    figures += ',';
    figures += short_number(p.er, 4);
  }
  std::uint32_t h = 2166136261u;  // FNV-1a, 32 bits
  for (const char c : figures) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  std::string date;
  for (const char c : d.date)
    if (c >= '0' && c <= '9') date += c;
  static const char kHex[] = "0123456789ABCDEF";
  std::string tag;
  for (int shift = 12; shift >= 0; shift -= 4) tag += kHex[((h ^ (h >> 16)) >> shift) & 0xFu];
  return "MXF-" + (date.empty() ? std::string() : date + "-") + tag;
}

void write_drawing_svg(std::ostream& os, const FilterDrawingData& d) {
  const Sheet sh = detail::build_sheet(d);
  std::string out;
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out +=
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"297mm\" height=\"210mm\" "
      "viewBox=\"0 0 297 210\" font-family=\"sans-serif\">\n";
  out += "<title>Coaxial low-pass filter, machining drawing, scale " + xml_text(sh.scale_text) +
         "</title>\n";
  out +=
      "<defs>\n"
      "<pattern id=\"metal\" patternUnits=\"userSpaceOnUse\" width=\"0.9\" height=\"0.9\" "
      "patternTransform=\"rotate(45)\"><line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"0.9\" "
      "stroke=\"#000000\" "
      "stroke-width=\"0.12\"/></pattern>\n"
      "<pattern id=\"dielectric\" patternUnits=\"userSpaceOnUse\" width=\"1.2\" height=\"1.2\">"
      "<rect width=\"1.2\" height=\"1.2\" fill=\"#e4ebf4\"/><circle cx=\"0.6\" cy=\"0.6\" "
      "r=\"0.16\" "
      "fill=\"#5d6f8c\"/></pattern>\n"
      "</defs>\n";
  out += "<rect width=\"297\" height=\"210\" fill=\"#ffffff\"/>\n";
  for (const Region& r : sh.regions) {
    out += std::string("<path class=\"") + (r.dielectric ? "dielectric" : "hatch") +
           "\" fill=\"url(#" + (r.dielectric ? "dielectric" : "metal") + ")\" stroke=\"none\" d=\"";
    for (std::size_t i = 0; i < r.xs.size(); ++i) {
      out += (i == 0 ? "M" : " L") + mm(sh.px(r.xs[i])) + "," + mm(sh.py(r.ys[i]));
    }
    out += " Z\"/>\n";
  }
  for (const Layer layer : {Layer::Center, Layer::Outline, Layer::Dimensions, Layer::Text}) {
    for (const Pen pen : {Pen::Thick, Pen::Thin, Pen::Center, Pen::Grid, Pen::Frame}) {
      std::string body;
      for (const Seg& s : sh.segs) {
        if (s.layer != layer || s.pen != pen) continue;
        body += "<line x1=\"" + mm(sh.px(s.x1)) + "\" y1=\"" + mm(sh.py(s.y1)) + "\" x2=\"" +
                mm(sh.px(s.x2)) + "\" y2=\"" + mm(sh.py(s.y2)) + "\"/>\n";
      }
      if (body.empty()) continue;
      std::string cls = layer_name(layer);
      std::transform(cls.begin(), cls.end(), cls.begin(),
                     [](char c) { return static_cast<char>(c | 0x20); });
      out += "<g class=\"" + cls + "\" " + pen_attributes(pen) + ">\n" + body + "</g>\n";
    }
  }
  out += "<g class=\"arrows\" fill=\"#000000\">\n";
  for (const Tri& t : sh.tris) {
    out += "<path d=\"M" + mm(sh.px(t.x[0])) + "," + mm(sh.py(t.y[0])) + " L" + mm(sh.px(t.x[1])) +
           "," + mm(sh.py(t.y[1])) + " L" + mm(sh.px(t.x[2])) + "," + mm(sh.py(t.y[2])) +
           " Z\"/>\n";
  }
  out += "</g>\n<g class=\"text\" fill=\"#000000\">\n";
  for (const Label& l : sh.labels) {
    const double X = sh.px(l.x), Y = sh.py(l.y);
    out +=
        "<text x=\"" + mm(X) + "\" y=\"" + mm(Y) + "\" font-size=\"" + mm(l.height * sh.k) + "\"";
    if (l.align != Align::Left)
      out += l.align == Align::Center ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
    if (l.vertical) out += " transform=\"rotate(-90 " + mm(X) + " " + mm(Y) + ")\"";
    if (l.bold) out += " font-weight=\"bold\"";
    if (l.grey) out += " fill=\"#555555\"";
    ((out += '>') += xml_text(l.text)) += "</text>\n";
  }
  out += "</g>\n</svg>\n";
  os << out;
}

void write_drawing_dxf(std::ostream& os, const FilterDrawingData& d) {
  const Sheet sh = detail::build_sheet(d);
  double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0;
  const auto extend = [&](double x, double y) {
    x0 = std::min(x0, x);
    y0 = std::min(y0, y);
    x1 = std::max(x1, x);
    y1 = std::max(y1, y);
  };
  for (const Seg& s : sh.segs) {
    extend(s.x1, s.y1);
    extend(s.x2, s.y2);
  }
  for (const Label& l : sh.labels) extend(l.x, l.y);
  if (!(x0 <= x1)) x0 = y0 = x1 = y1 = 0.0;

  std::string out;
  pair(out, 0, "SECTION");
  pair(out, 2, "HEADER");
  pair(out, 9, "$ACADVER");
  pair(out, 1, "AC1009");
  pair(out, 9, "$INSBASE");
  pair(out, 10, "0.0");
  pair(out, 20, "0.0");
  pair(out, 30, "0.0");
  pair(out, 9, "$EXTMIN");
  pair(out, 10, exact(x0));
  pair(out, 20, exact(y0));
  pair(out, 30, "0.0");
  pair(out, 9, "$EXTMAX");
  pair(out, 10, exact(x1));
  pair(out, 20, exact(y1));
  pair(out, 30, "0.0");
  pair(out, 0, "ENDSEC");

  pair(out, 0, "SECTION");
  pair(out, 2, "TABLES");
  pair(out, 0, "TABLE");
  pair(out, 2, "LTYPE");
  pair(out, 70, "2");
  pair(out, 0, "LTYPE");
  pair(out, 2, "CONTINUOUS");
  pair(out, 70, "0");
  pair(out, 3, "Solid line");
  pair(out, 72, "65");
  pair(out, 73, "0");
  pair(out, 40, "0.0");
  // Centre line: long dash, gap, short dash, gap, sized to look the same as on the sheet.
  const double u = 1.0 / sh.k;
  pair(out, 0, "LTYPE");
  pair(out, 2, "CENTER");
  pair(out, 70, "0");
  pair(out, 3, "Center ____ _ ____ _");
  pair(out, 72, "65");
  pair(out, 73, "4");
  pair(out, 40, exact(12.5 * u));
  pair(out, 49, exact(8.0 * u));
  pair(out, 49, exact(-1.5 * u));
  pair(out, 49, exact(1.5 * u));
  pair(out, 49, exact(-1.5 * u));
  pair(out, 0, "ENDTAB");
  pair(out, 0, "TABLE");
  pair(out, 2, "LAYER");
  pair(out, 70, "6");
  const std::pair<const char*, std::pair<const char*, const char*>> layers[] = {
      {kProfileLayer, {"5", "CONTINUOUS"}}, {"0", {"7", "CONTINUOUS"}},
      {"OUTLINE", {"7", "CONTINUOUS"}},     {"CENTER", {"1", "CENTER"}},
      {"DIMENSIONS", {"3", "CONTINUOUS"}},  {"TEXT", {"7", "CONTINUOUS"}}};
  for (const auto& [name, props] : layers) {
    pair(out, 0, "LAYER");
    pair(out, 2, name);
    pair(out, 70, "0");
    pair(out, 62, props.first);
    pair(out, 6, props.second);
  }
  pair(out, 0, "ENDTAB");
  pair(out, 0, "TABLE");
  pair(out, 2, "STYLE");
  pair(out, 70, "1");
  pair(out, 0, "STYLE");
  pair(out, 2, "STANDARD");
  pair(out, 70, "0");
  pair(out, 40, "0.0");
  pair(out, 41, "1.0");
  pair(out, 50, "0.0");
  pair(out, 71, "0");
  pair(out, 42, exact(2.5 * u));
  pair(out, 3, "txt");
  pair(out, 4, "");
  pair(out, 0, "ENDTAB");
  pair(out, 0, "ENDSEC");

  pair(out, 0, "SECTION");
  pair(out, 2, "ENTITIES");
  const auto line = [&](double ax, double ay, double bx, double by, Layer l) {
    pair(out, 0, "LINE");
    pair(out, 8, layer_name(l));
    pair(out, 10, exact(ax));
    pair(out, 20, exact(ay));
    pair(out, 30, "0.0");
    pair(out, 11, exact(bx));
    pair(out, 21, exact(by));
    pair(out, 31, "0.0");
  };
  for (const Seg& s : sh.segs) line(s.x1, s.y1, s.x2, s.y2, s.layer);
  // The centre conductor's profile as one closed polyline.
  pair(out, 0, "POLYLINE");
  pair(out, 8, kProfileLayer);
  pair(out, 66, "1");
  pair(out, 10, "0.0");
  pair(out, 20, "0.0");
  pair(out, 30, "0.0");
  pair(out, 70, "1");
  for (const auto& [x, y] : sh.profile) {
    pair(out, 0, "VERTEX");
    pair(out, 8, kProfileLayer);
    pair(out, 10, exact(x));
    pair(out, 20, exact(y));
    pair(out, 30, "0.0");
  }
  pair(out, 0, "SEQEND");
  pair(out, 8, kProfileLayer);
  for (const Tri& t : sh.tris) {
    for (int i = 0; i < 3; ++i)
      line(t.x[i], t.y[i], t.x[(i + 1) % 3], t.y[(i + 1) % 3], Layer::Dimensions);
  }
  for (const Label& l : sh.labels) {
    const std::string s = dxf_text(l.text);
    if (s.empty()) continue;
    pair(out, 0, "TEXT");
    pair(out, 8, "TEXT");
    pair(out, 10, exact(l.x));
    pair(out, 20, exact(l.y));
    pair(out, 30, "0.0");
    pair(out, 40, exact(l.height));
    pair(out, 1, s);
    if (l.vertical) pair(out, 50, "90.0");
    if (l.align != Align::Left) {
      pair(out, 72, l.align == Align::Center ? "1" : "2");
      pair(out, 11, exact(l.x));
      pair(out, 21, exact(l.y));
      pair(out, 31, "0.0");
    }
  }
  pair(out, 0, "ENDSEC");
  pair(out, 0, "EOF");
  os << out;
}

}  // namespace mx
