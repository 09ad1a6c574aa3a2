#include "app/options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

#include "app/em_correct.h"
#include "app/result_names.h"
#include "tolerance/allocation.h"
#include "tolerance/tolerance_file.h"

namespace mx {
namespace {

constexpr const char* kExamples = R"(
Examples:
  mandrelix                                  the dialog in the current folder
  mandrelix -C work                          the dialog in the folder work/
  mandrelix --touchstone resp.s2p < answers  each analysis as S-parameters (resp.s2p, resp-2.s2p, ...)
  mandrelix --csv sweep.csv                  each analysis as comma-separated values
  mandrelix --save-circuit filter.lef        each synthesis as a circuit data file
  mandrelix --plot response.svg              each analysis as a response plot
  mandrelix --drawing filter.dxf             each coaxial synthesis as a drawing (.dxf or .svg)
  mandrelix --em-model filter.py             each coaxial filter as an openEMS full-wave model
  mandrelix --em-correct fw.json             lengths of each coaxial synthesis corrected by openEMS
  mandrelix --em-resolution coarse --em-correct fw.json   ... on the quick mesh
  mandrelix --reference-ohm 50 --touchstone r.s2p   ... the S-parameters referred to 50 ohm
  mandrelix --threads 1                      sweep on one thread
  mandrelix --length-tol 0.002               machining tolerance of the lengths, +/- inch
  mandrelix --diameter-tol 0.0002            machining tolerance of the diameters, +/- inch
  mandrelix --concentricity 0.001            the drawing's concentricity of D to the bore axis, inch
  mandrelix --tolerance yield.txt            a tolerance and yield study of every design (.txt or .json)
  mandrelix --trials 10000 --tolerance y.json    10000 trials instead of 1000
  mandrelix --random-state 7 --tolerance y.txt   other random errors (the same ones every run)
  mandrelix --component-tol 2 --tolerance y.txt  lumped components within +/- 2 %
  mandrelix --distribution normal --tolerance y.txt  normal errors, the tolerance as 3 sigma
  mandrelix --pass-mhz 900 --pass-db 0.5 --tolerance y.txt  mask: at most 0.5 dB up to 900 MHz
  mandrelix --pass-db 1 --pass-mhz 1000 --tolerance y.txt    mask: at most 1 dB up to 1000 MHz
  mandrelix --stop-mhz 1500 --stop-db 30 --pass-mhz 900 --pass-db 0.5 --tolerance y.txt
  mandrelix --stop-db 40 --stop-mhz 2000 --pass-mhz 900 --pass-db 0.5 --tolerance y.txt
                                             ... and at least 30 (40) dB at 1500 (2000) MHz
  mandrelix --allocate-tolerances alloc.json --tolerance y.txt
                                             the loosest tolerance of each dimension for 95 % yield
  mandrelix --target-yield 99 --allocate-tolerances alloc.json --tolerance y.txt   ... for 99 %
  mandrelix --finest-length-tol 0.0005 --allocate-tolerances alloc.json --tolerance y.txt
  mandrelix --finest-diameter-tol 0.0002 --allocate-tolerances alloc.json --tolerance y.txt
                                             ... no length (diameter) finer than +/- 0.0005 (0.0002) inch
  mandrelix --cost-weights 1,3 --allocate-tolerances alloc.json --tolerance y.txt
                                             ... a diameter's tolerance costing 3 times a length's
  mandrelix --tolerances alloc.json --tolerance y.txt   each dimension at its tolerance of the file
  mandrelix --fit built.s2p --fit-report fit.txt   fit every coaxial analysis to a measurement
  mandrelix --fit-report fit.json --fit built.s2p  ... the report as JSON
  mandrelix --fit-diameters --fit b.s2p --fit-report f.txt      ... the inner diameters freed too
  mandrelix --fit-magnitude-only --fit b.s2p --fit-report f.txt ... |S| alone, the phase not trusted
  mandrelix --fit-step-scale common --fit b.s2p --fit-report f.txt ... a step-capacitance factor
  mandrelix --fit-reference nominal.s2p --fit b.s2p --fit-report f.txt
                                             ... referred to the part as designed, measured alike
  mandrelix --min-section 0.02               warn of sections shorter than 0.02 inch
  mandrelix --min-wall 0.008                 warn of radial walls (B-D)/2 thinner than 0.008 inch
  mandrelix --power 2000                     warn when a line carries less than 2000 W peak
  mandrelix --spec filter.toml               the design of a design file, without the dialog
  mandrelix --spice filter.cir               each lumped design as an ngspice netlist with a test bench
  mandrelix --version                        the program's name and version
  mandrelix --help                           this text
)";

// One line: CLI11's messages may hold line ends.
std::string one_line(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Every option's value is taken as text and checked and stored by plain
// functions of this file: CLI11 then instantiates its option machinery for
// one type only, which keeps this file's compile short.

// The text as a number, as CLI11 would read it into a float (through long
// double); nullopt unless the whole text is a finite number within float range.
std::optional<float> float_value(const std::string& text) {
  char* end = nullptr;
  const long double v = std::strtold(text.c_str(), &end);
  if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(v) ||
      std::fabs(v) > static_cast<long double>(std::numeric_limits<float>::max()))
    return std::nullopt;
  return static_cast<float>(v);
}

// The text as a whole number (decimal, or 0x hexadecimal and 0 octal as CLI11
// reads integers); nullopt unless the whole text is one.
std::optional<long long> whole_value(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno == ERANGE) return std::nullopt;
  return v;
}

// Checks of an option's text: empty when the text is good, else the refusal.
using Check = std::string (*)(const std::string& text);

template <bool (*Fits)(float), const char* Refusal>
std::string number_check(const std::string& text) {
  const std::optional<float> v = float_value(text);
  return v && Fits(*v) ? std::string() : Refusal + text;
}

template <long long Low, long long High, const char* Refusal>
std::string whole_check(const std::string& text) {
  const std::optional<long long> v = whole_value(text);
  return v && *v >= Low && *v <= High ? std::string() : Refusal + text;
}

bool at_least_zero(float v) { return v >= 0.0f; }
bool above_zero(float v) { return v > 0.0f; }
bool percentage(float v) { return v >= 0.0f && v < 100.0f; }

constexpr char kToleranceRefusal[] = "a tolerance is a number of inches, zero or more: ";
constexpr char kMaskRefusal[] = "a mask value is a number above zero: ";
constexpr char kPercentRefusal[] =
    "a component tolerance is a percentage from 0 up to (not including) 100: ";
constexpr char kMinimumRefusal[] = "a minimum is a number of inches, zero or more: ";
constexpr char kPowerRefusal[] = "a power is a number of watts, above zero: ";
constexpr char kThreadsRefusal[] = "the threads are a whole number from 1 to 256: ";
constexpr char kTrialsRefusal[] = "the trials are a whole number from 1 to 10000000: ";

// A random state: a whole number written in digits alone (a sign would wrap
// round in the unsigned value).
std::string random_state_check(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
    std::strtoull(text.c_str(), &end, 0);
    if (*end == '\0' && errno != ERANGE) return {};
  }
  return "a random state is a whole number, 0 or more: " + text;
}

// The impedance the S-parameters are referred to: ohm, above zero, at most
// kMaxReferenceOhm (a filter's ports are never of megohms; beyond it a
// typing slip is likelier than a wish).
constexpr double kMaxReferenceOhm = 1.0e6;
std::optional<double> reference_value(const std::string& text) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(v) || !(v > 0.0) ||
      v > kMaxReferenceOhm)
    return std::nullopt;
  return v;
}
std::string reference_check(const std::string& text) {
  if (!reference_value(text))
    return "a reference impedance is a number of ohms above zero, at most 1000000: " + text;
  return {};
}

// The report of a tolerance study is plain text or JSON, by the extension.
std::string study_report_check(const std::string& text) {
  const std::string ext = lower_extension(text);
  if (ext != ".txt" && ext != ".json")
    return "the tolerance report is a .txt or .json file: " + text;
  return {};
}

std::string distribution_check(const std::string& text) {
  if (text != "uniform" && text != "normal")
    return "the distribution is uniform or normal: " + text;
  return {};
}

// A target yield: percent, above 0 and below 100.
bool target_yield(float v) { return v > 0.0f && v < 100.0f; }
constexpr char kTargetYieldRefusal[] = "a target yield is a percentage above 0 and below 100: ";

// The finest tolerance an allocation may give: inches, above zero and at most the ceiling.
bool finest_tolerance(float v) { return v > 0.0f && static_cast<double>(v) <= kCoarsestTolIn; }
constexpr char kFinestRefusal[] =
    "a finest tolerance is a number of inches above zero, at most 0.010: ";

// The cost weights of lengths and diameters: two numbers above zero, "L,D".
std::optional<std::pair<double, double>> cost_weights(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  const std::string parts[2] = {text.substr(0, comma), text.substr(comma + 1)};
  double v[2];
  for (int i = 0; i < 2; ++i) {
    char* end = nullptr;
    v[i] = std::strtod(parts[i].c_str(), &end);
    if (parts[i].empty() || *end != '\0' || !std::isfinite(v[i]) || !(v[i] > 0.0) ||
        v[i] > static_cast<double>(std::numeric_limits<float>::max()))
      return std::nullopt;
  }
  return std::make_pair(v[0], v[1]);
}
std::string cost_weights_check(const std::string& text) {
  if (!cost_weights(text))
    return "cost weights are two numbers above zero, of lengths and of diameters, as 1,3: " + text;
  return {};
}

// An allocation is written as JSON.
std::string json_file_check(const std::string& text) {
  if (lower_extension(text) != ".json") return "the allocation is a .json file: " + text;
  return {};
}

// The report of a full-wave correction is JSON.
std::string correction_report_check(const std::string& text) {
  if (lower_extension(text) != ".json")
    return "the full-wave correction report is a .json file: " + text;
  return {};
}

// The mesh of the correction's field runs.
std::string em_resolution_check(const std::string& text) {
  if (!valid_em_resolution(text))
    return "the full-wave resolution is coarse, fine, finest or converged: " + text;
  return {};
}

// The report of a fit is plain text or JSON, by the extension.
std::string fit_report_check(const std::string& text) {
  const std::string ext = lower_extension(text);
  if (ext != ".txt" && ext != ".json") return "the fit report is a .txt or .json file: " + text;
  return {};
}

std::string step_scale_check(const std::string& text) {
  if (text != "none" && text != "common" && text != "per-kind")
    return "the step-capacitance factors are none, common or per-kind: " + text;
  return {};
}

// A design file must be there before anything is asked or written.
std::string existing_file_check(const std::string& text) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(text, ec)) return "File does not exist: " + text;
  return {};
}

// Stores an option's checked text.
using Store = void (*)(const std::string& text, CommandLine& cl);

template <std::optional<std::filesystem::path> RunOptions::*File>
void store_path(const std::string& text, CommandLine& cl) {
  if (!text.empty()) cl.options.*File = std::filesystem::path(text);
}

template <std::optional<float> RunOptions::*Value>
void store_float(const std::string& text, CommandLine& cl) {
  cl.options.*Value = float_value(text);
}

// A value the allocation keeps in double, read as the other numbers are.
template <std::optional<double> RunOptions::*Value>
void store_double(const std::string& text, CommandLine& cl) {
  cl.options.*Value = std::strtod(text.c_str(), nullptr);
}

// One row of the option table: names as CLI11 takes them ("-C,--directory"),
// the value's name in --help, the help text, the check of the value (nullptr:
// any text) and the values it takes as --help shows them after the name,
// where the value goes, and the option it is meaningful only with (nullptr:
// none). A row without a value name is a flag (its store gets "").
struct OptionRow {
  const char* names;
  const char* value_name;
  const char* help;
  Check check;
  const char* check_shown;
  Store store;
  const char* needs;
};

// The options in the order --help lists them.
const OptionRow kOptions[] = {
    {"-C,--directory", "DIR",
     "working folder: Mandrelix.DEF, circuit data files, report files (default .)", nullptr,
     nullptr,
     [](const std::string& text, CommandLine& cl) {
       if (!text.empty()) cl.directory = text;
     },
     nullptr},
    {"--touchstone", "FILE", "write the S-parameters of every analysis (Touchstone, .s2p)", nullptr,
     nullptr, store_path<&RunOptions::touchstone>, nullptr},
    {"--csv", "FILE", "write every analysed sweep as comma-separated values", nullptr, nullptr,
     store_path<&RunOptions::csv>, nullptr},
    {"--save-circuit", "FILE",
     "write every synthesized filter as a circuit data file (lumped or coaxial)", nullptr, nullptr,
     store_path<&RunOptions::save_circuit>, nullptr},
    {"--plot", "FILE", "write the response plot of every analysis (SVG)", nullptr, nullptr,
     store_path<&RunOptions::plot>, nullptr},
    {"--drawing", "FILE", "write a dimensioned drawing of every coaxial synthesis (.svg or .dxf)",
     nullptr, nullptr, store_path<&RunOptions::drawing>, nullptr},
    {"--em-model", "FILE",
     "write an openEMS full-wave model (Python) of every coaxial synthesis and "
     "analysis; python3 FILE.py OUT.s2p simulates it",
     nullptr, nullptr, store_path<&RunOptions::em_model>, nullptr},
    {"--reference-ohm", "Z",
     "refer the Touchstone file, the CSV's S columns and the plot to Z ohm at both ports "
     "(default: the S-parameters to Rs and Rl, the plot to the source and load)",
     reference_check, "OHM",
     [](const std::string& text, CommandLine& cl) {
       cl.options.reference_ohm = reference_value(text);
     },
     nullptr},
    {"--threads", "N", "threads of a frequency sweep (default: all cores)",
     whole_check<1, 256, kThreadsRefusal>, "INT in [1 - 256]",
     [](const std::string& text, CommandLine& cl) {
       cl.options.threads = static_cast<int>(*whole_value(text));
     },
     nullptr},
    {"--length-tol", "INCH",
     "machining tolerance of every section length, +/- inch (default 0.001)",
     number_check<at_least_zero, kToleranceRefusal>, "INCH",
     store_float<&RunOptions::length_tol_in>, nullptr},
    {"--diameter-tol", "INCH", "machining tolerance of every diameter, +/- inch (default 0.0005)",
     number_check<at_least_zero, kToleranceRefusal>, "INCH",
     store_float<&RunOptions::diameter_tol_in>, nullptr},
    {"--concentricity", "INCH",
     "the drawing's concentricity of every centre-conductor diameter to the bore axis, "
     "diametral zone in inch (default: the diameter tolerance)",
     number_check<at_least_zero, kToleranceRefusal>, "INCH",
     store_float<&RunOptions::concentricity_in>, nullptr},
    {"--tolerance", "FILE",
     "a tolerance and yield study of every distributed synthesis "
     "and every analysis, reported to FILE (.txt or .json)",
     study_report_check, "FILE", store_path<&RunOptions::tolerance>, nullptr},
    {"--trials", "N", "trials of a tolerance study (default 1000)",
     whole_check<1, 10000000, kTrialsRefusal>, "INT in [1 - 10000000]",
     [](const std::string& text, CommandLine& cl) {
       cl.options.trials = static_cast<int>(*whole_value(text));
     },
     "--tolerance"},
    {"--random-state", "S", "start value of the random errors of a tolerance study (default fixed)",
     random_state_check, "DIGITS",
     [](const std::string& text, CommandLine& cl) {
       cl.options.random_state = std::strtoull(text.c_str(), nullptr, 0);
     },
     "--tolerance"},
    {"--component-tol", "PCT", "tolerance of every lumped component, +/- percent (default 5)",
     number_check<percentage, kPercentRefusal>, "PCT", store_float<&RunOptions::component_tol_pct>,
     "--tolerance"},
    {"--distribution", "uniform|normal",
     "errors uniform within the tolerances, or normal with the tolerance as three "
     "standard deviations (default uniform)",
     distribution_check, "{uniform,normal}",
     [](const std::string& text, CommandLine& cl) { cl.options.normal_errors = text == "normal"; },
     "--tolerance"},
    {"--pass-mhz", "MHZ", "mask: the passband edge, MHz", number_check<above_zero, kMaskRefusal>,
     "NUMBER", store_float<&RunOptions::pass_mhz>, "--tolerance"},
    {"--pass-db", "DB", "mask: the largest loss up to the passband edge, dB",
     number_check<above_zero, kMaskRefusal>, "NUMBER", store_float<&RunOptions::pass_db>,
     "--tolerance"},
    {"--stop-mhz", "MHZ", "mask: the stopband frequency, MHz",
     number_check<above_zero, kMaskRefusal>, "NUMBER", store_float<&RunOptions::stop_mhz>,
     "--tolerance"},
    {"--stop-db", "DB", "mask: the least loss at the stopband frequency, dB",
     number_check<above_zero, kMaskRefusal>, "NUMBER", store_float<&RunOptions::stop_db>,
     "--tolerance"},
    {"--min-section", "INCH", "warn of every section shorter than this, inch (default 0.010)",
     number_check<at_least_zero, kMinimumRefusal>, "", store_float<&RunOptions::min_section_in>,
     nullptr},
    {"--min-wall", "INCH",
     "warn of every section whose radial wall (B-D)/2 to the bore is thinner, inch "
     "(default 0.005)",
     number_check<at_least_zero, kMinimumRefusal>, "", store_float<&RunOptions::min_wall_in>,
     nullptr},
    {"--power", "W", "warn when the peak power of a line is below this, W",
     number_check<above_zero, kPowerRefusal>, "", store_float<&RunOptions::power_w>, nullptr},
    {"--allocate-tolerances", "FILE",
     "after every tolerance study, the loosest tolerance of each dimension that "
     "reaches the target yield at the least cost, written to FILE (.json)",
     json_file_check, "FILE", store_path<&RunOptions::allocate_tolerances>, "--tolerance"},
    {"--target-yield", "PCT", "the yield an allocation reaches, percent (default 95)",
     number_check<target_yield, kTargetYieldRefusal>, "PCT",
     store_double<&RunOptions::target_yield_pct>, "--allocate-tolerances"},
    {"--finest-length-tol", "INCH",
     "the finest length tolerance an allocation gives, +/- inch (default 0.0002)",
     number_check<finest_tolerance, kFinestRefusal>, "INCH",
     store_double<&RunOptions::finest_length_tol_in>, "--allocate-tolerances"},
    {"--finest-diameter-tol", "INCH",
     "the finest diameter tolerance an allocation gives, +/- inch (default 0.0001)",
     number_check<finest_tolerance, kFinestRefusal>, "INCH",
     store_double<&RunOptions::finest_diameter_tol_in>, "--allocate-tolerances"},
    {"--cost-weights", "L,D",
     "the cost of a length's and of a diameter's tolerance relative to each other "
     "(default 1,1)",
     cost_weights_check, "L,D",
     [](const std::string& text, CommandLine& cl) { cl.options.cost_weights = cost_weights(text); },
     "--allocate-tolerances"},
    {"--tolerances", "FILE",
     "the tolerance of each dimension a JSON file names (as an allocation writes "
     "it), for every study and the drawing's cut list",
     nullptr, nullptr, [](const std::string&, CommandLine&) {}, nullptr},
    {"--spice", "FILE",
     "write every lumped synthesis and analysis as an ngspice netlist (.subckt FILTER and a "
     "test bench)",
     nullptr, nullptr, store_path<&RunOptions::spice>, nullptr},
    {"--spec", "FILE.toml",
     "synthesize (and, with [analysis], analyse) the design of a TOML design file "
     "without the dialog",
     existing_file_check, "FILE.toml", store_path<&RunOptions::spec>, nullptr},
    {"--em-correct", "FILE",
     "correct the section lengths of every coaxial synthesis by openEMS full-wave runs until its "
     "-3 dB frequency and passband edge are the design's; report to FILE (.json)",
     correction_report_check, "FILE", store_path<&RunOptions::em_correct>, nullptr},
    {"--em-resolution", "coarse|fine|finest|converged",
     "mesh of the full-wave correction's runs (default fine)", em_resolution_check,
     "{coarse,fine,finest,converged}",
     [](const std::string& text, CommandLine& cl) { cl.options.em_resolution = text; },
     "--em-correct"},
    {"--fit", "FILE",
     "fit every coaxial analysis to the measured two-port FILE (Touchstone .s2p, version 1 or "
     "2.0) and report which dimension is off and what to machine",
     nullptr, nullptr, store_path<&RunOptions::fit>, nullptr},
    {"--fit-report", "FILE",
     "the report of every fit (.txt or .json); the fitted circuit is written beside it as .cxf",
     fit_report_check, "FILE", store_path<&RunOptions::fit_report>, "--fit"},
    {"--fit-reference", "FILE",
     "a measurement or full-wave simulation of the filter as designed: each fitted dimension is "
     "the nominal plus the difference of the two fits",
     nullptr, nullptr, store_path<&RunOptions::fit_reference>, "--fit"},
    {"--fit-diameters", nullptr, "a fit frees the inner diameters too", nullptr, nullptr,
     [](const std::string&, CommandLine& cl) { cl.options.fit_diameters = true; }, "--fit"},
    {"--fit-magnitude-only", nullptr,
     "a fit compares |S11| and |S21| in dB only (the phase not trusted; no plane offsets)", nullptr,
     nullptr, [](const std::string&, CommandLine& cl) { cl.options.fit_magnitude_only = true; },
     "--fit"},
    {"--fit-step-scale", "none|common|per-kind",
     "step-capacitance factors a fit frees: none (default), common or per-kind (one per pair of "
     "cross-sections)",
     step_scale_check, "{none,common,per-kind}",
     [](const std::string& text, CommandLine& cl) {
       cl.options.fit_step_scale = text == "common" ? 1 : text == "per-kind" ? 2 : 0;
     },
     "--fit"},
};

// Options that need others besides the one of their row: a mask's frequency
// and loss come together, a stopband needs a passband, and a fit its report.
const std::pair<const char*, const char*> kAlsoNeeds[] = {
    {"--pass-mhz", "--pass-db"},  {"--pass-db", "--pass-mhz"}, {"--stop-mhz", "--stop-db"},
    {"--stop-mhz", "--pass-mhz"}, {"--stop-db", "--stop-mhz"}, {"--fit", "--fit-report"},
};

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv, std::ostream& out,
                               std::ostream& err) {
  CommandLine cl;
  // No options: the defaults. Building the option table costs more than
  // the rest of a short run's start.
  if (argc <= 1) return cl;
  CLI::App app{
      "Designs and analyses coaxial and lumped low-pass filters through a dialog of numbered "
      "menus and questions; the options add result files for other tools.",
      "mandrelix"};
  app.footer(kExamples);
  app.set_version_flag("--version", kProgramVersion);
  constexpr std::size_t kRows = std::size(kOptions);
  std::vector<std::string> values(kRows);
  std::vector<CLI::Option*> added(kRows);
  for (std::size_t i = 0; i < kRows; ++i) {
    const OptionRow& row = kOptions[i];
    added[i] = row.value_name == nullptr
                   ? app.add_flag(row.names, row.help)
                   : app.add_option(row.names, values[i], row.help)->type_name(row.value_name);
    if (row.check)
      added[i]->check(CLI::Validator([check = row.check](std::string& text) { return check(text); },
                                     row.check_shown));
    if (row.needs) added[i]->needs(row.needs);
  }
  for (const auto& [option, needed] : kAlsoNeeds) app.get_option(option)->needs(needed);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    cl.exit_now = true;
    return cl;
  } catch (const CLI::CallForVersion&) {
    out << kProgramVersion << '\n';
    cl.exit_now = true;
    return cl;
  } catch (const CLI::ParseError& e) {
    err << "mandrelix: " << one_line(e.what()) << " (see mandrelix --help)\n";
    cl.exit_now = true;
    cl.exit_status = 2;
    return cl;
  }
  for (std::size_t i = 0; i < kRows; ++i)
    if (added[i]->count() > 0) kOptions[i].store(values[i], cl);
  // The text given to an option, or nullptr when it was not given.
  auto given = [&](std::string_view name) -> const std::string* {
    for (std::size_t i = 0; i < kRows; ++i)
      if (added[i]->count() > 0 && std::string_view(kOptions[i].names) == name) return &values[i];
    return nullptr;
  };
  const RunOptions& o = cl.options;
  if (o.stop_mhz && o.pass_mhz && !(*o.stop_mhz > *o.pass_mhz)) {
    err << "mandrelix: --stop-mhz " << *o.stop_mhz << " must lie above --pass-mhz " << *o.pass_mhz
        << " (see mandrelix --help)\n";
    cl.exit_now = true;
    cl.exit_status = 2;
    return cl;
  }
  if (o.reference_ohm && !o.touchstone && !o.csv && !o.plot) {
    err << "mandrelix: --reference-ohm needs --touchstone, --csv or --plot (see mandrelix "
           "--help)\n";
    cl.exit_now = true;
    cl.exit_status = 2;
    return cl;
  }
  if (const std::string* file = given("--tolerances")) {
    std::ifstream in(*file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const ToleranceFile f =
        in ? parse_tolerance_file(text.str()) : ToleranceFile{{}, "cannot be read"};
    if (!f.error.empty()) {
      err << "mandrelix: --tolerances " << *file << ": " << f.error << " (see mandrelix --help)\n";
      cl.exit_now = true;
      cl.exit_status = 2;
      return cl;
    }
    cl.options.own_tolerances = f.tolerances;
  }
  return cl;
}

std::string lower_extension(const std::filesystem::path& name) {
  std::string ext = name.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool result_folders_exist(const RunOptions& options, std::ostream& err) {
  for (const ResultNames& names : asked_result_names(options)) {
    const std::filesystem::path& file = names.first;
    const std::filesystem::path folder = file.parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
      err << "mandrelix: cannot write \"" << file.string() << "\": the folder \"" << folder.string()
          << "\" does not exist\n";
      return false;
    }
    if (std::filesystem::is_directory(file, ec)) {
      err << "mandrelix: cannot write \"" << file.string() << "\": it is a folder\n";
      return false;
    }
  }
  return true;
}

}  // namespace mx
