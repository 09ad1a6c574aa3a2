#include "app/options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

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
  mandrelix --threads 1                      sweep on one thread
  mandrelix --length-tol 0.002               machining tolerance of the lengths, +/- inch
  mandrelix --diameter-tol 0.0002            machining tolerance of the diameters, +/- inch
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

// A finite number within float range for which `fits` holds; otherwise `refusal` and the text.
template <typename Fits>
CLI::Validator number_check(Fits fits, const char* refusal, const char* name) {
  return CLI::Validator(
      [fits, refusal](const std::string& text) -> std::string {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(v) ||
            std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()) || !fits(v))
          return refusal + text;
        return {};
      },
      name);
}

// A machining tolerance: a finite number of inches, zero or more.
const CLI::Validator kTolerance = number_check(
    [](double v) { return v >= 0.0; }, "a tolerance is a number of inches, zero or more: ", "INCH");

// A positive finite number (a mask frequency or loss).
const CLI::Validator kPositive = number_check([](double v) { return v > 0.0; },
                                              "a mask value is a number above zero: ", "NUMBER");

// A component tolerance: percent, zero or more and below 100.
const CLI::Validator kPercent =
    number_check([](double v) { return v >= 0.0 && v < 100.0; },
                 "a component tolerance is a percentage from 0 up to (not including) 100: ", "PCT");

// A random state: a whole number written in digits alone (a sign would wrap
// round in the unsigned value).
const CLI::Validator kWholeNumber(
    [](const std::string& text) -> std::string {
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return "a random state is a whole number, 0 or more: " + text;
      return {};
    },
    "DIGITS");

// The report of a tolerance study is plain text or JSON, by the extension.
const CLI::Validator kStudyReport(
    [](const std::string& text) -> std::string {
      const std::string ext = lower_extension(text);
      if (ext != ".txt" && ext != ".json")
        return "the tolerance report is a .txt or .json file: " + text;
      return {};
    },
    "FILE");

// A warning's minimum: a finite number of inches, zero or more.
const CLI::Validator kInches = number_check([](double v) { return v >= 0.0; },
                                            "a minimum is a number of inches, zero or more: ", "");

// A peak power: a finite number of watts above zero.
const CLI::Validator kWatts = number_check([](double v) { return v > 0.0; },
                                           "a power is a number of watts, above zero: ", "");

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
  std::string directory;
  std::string touchstone, csv, save_circuit, plot, drawing, em_model;
  int threads = 0;
  std::optional<float> length_tol, diameter_tol;
  std::string tolerance, distribution = "uniform";
  std::optional<int> trials;
  std::optional<std::uint64_t> random_state;
  std::optional<float> component_tol, pass_mhz, pass_db, stop_mhz, stop_db;
  std::optional<float> power, min_section, min_wall;
  std::string spec;
  std::string spice;
  app.add_option("--spice", spice,
                 "write every lumped synthesis and analysis as an ngspice netlist (.subckt FILTER "
                 "and a test bench)")
      ->type_name("FILE");
  app.add_option("-C,--directory", directory,
                 "working folder: Mandrelix.DEF, circuit data files, report files (default .)")
      ->type_name("DIR");
  app.add_option("--touchstone", touchstone,
                 "write the S-parameters of every analysis (Touchstone, .s2p)")
      ->type_name("FILE");
  app.add_option("--csv", csv, "write every analysed sweep as comma-separated values")
      ->type_name("FILE");
  app.add_option("--save-circuit", save_circuit,
                 "write every synthesized filter as a circuit data file (lumped or coaxial)")
      ->type_name("FILE");
  app.add_option("--plot", plot, "write the response plot of every analysis (SVG)")
      ->type_name("FILE");
  app.add_option("--drawing", drawing,
                 "write a dimensioned drawing of every coaxial synthesis (.svg or .dxf)")
      ->type_name("FILE");
  app.add_option("--em-model", em_model,
                 "write an openEMS full-wave model (Python) of every coaxial synthesis and "
                 "analysis; python3 FILE.py OUT.s2p simulates it")
      ->type_name("FILE");
  app.add_option("--threads", threads, "threads of a frequency sweep (default: all cores)")
      ->type_name("N")
      ->check(CLI::Range(1, 256));
  app.add_option("--length-tol", length_tol,
                 "machining tolerance of every section length, +/- inch (default 0.001)")
      ->type_name("INCH")
      ->check(kTolerance);
  app.add_option("--diameter-tol", diameter_tol,
                 "machining tolerance of every diameter, +/- inch (default 0.0005)")
      ->type_name("INCH")
      ->check(kTolerance);
  CLI::Option* study = app.add_option("--tolerance", tolerance,
                                      "a tolerance and yield study of every distributed synthesis "
                                      "and every analysis, reported to FILE (.txt or .json)")
                           ->type_name("FILE")
                           ->check(kStudyReport);
  app.add_option("--trials", trials, "trials of a tolerance study (default 1000)")
      ->type_name("N")
      ->check(CLI::Range(1, 10000000))
      ->needs(study);
  app.add_option("--random-state", random_state,
                 "start value of the random errors of a tolerance study (default fixed)")
      ->type_name("S")
      ->check(kWholeNumber)
      ->needs(study);
  app.add_option("--component-tol", component_tol,
                 "tolerance of every lumped component, +/- percent (default 5)")
      ->type_name("PCT")
      ->check(kPercent)
      ->needs(study);
  app.add_option("--distribution", distribution,
                 "errors uniform within the tolerances, or normal with the tolerance as three "
                 "standard deviations (default uniform)")
      ->type_name("uniform|normal")
      ->check(CLI::IsMember({"uniform", "normal"}))
      ->needs(study);
  CLI::Option* pass_f = app.add_option("--pass-mhz", pass_mhz, "mask: the passband edge, MHz")
                            ->type_name("MHZ")
                            ->check(kPositive)
                            ->needs(study);
  CLI::Option* pass_a =
      app.add_option("--pass-db", pass_db, "mask: the largest loss up to the passband edge, dB")
          ->type_name("DB")
          ->check(kPositive)
          ->needs(study);
  CLI::Option* stop_f = app.add_option("--stop-mhz", stop_mhz, "mask: the stopband frequency, MHz")
                            ->type_name("MHZ")
                            ->check(kPositive)
                            ->needs(study);
  CLI::Option* stop_a =
      app.add_option("--stop-db", stop_db, "mask: the least loss at the stopband frequency, dB")
          ->type_name("DB")
          ->check(kPositive)
          ->needs(study);
  pass_f->needs(pass_a);
  pass_a->needs(pass_f);
  stop_f->needs(stop_a)->needs(pass_f);
  stop_a->needs(stop_f);
  app.add_option("--min-section", min_section,
                 "warn of every section shorter than this, inch (default 0.010)")
      ->type_name("INCH")
      ->check(kInches);
  app.add_option("--min-wall", min_wall,
                 "warn of every section whose radial wall (B-D)/2 to the bore is thinner, inch "
                 "(default 0.005)")
      ->type_name("INCH")
      ->check(kInches);
  app.add_option("--power", power, "warn when the peak power of a line is below this, W")
      ->type_name("W")
      ->check(kWatts);
  app.add_option("--spec", spec,
                 "synthesize (and, with [analysis], analyse) the design of a TOML design file "
                 "without the dialog")
      ->type_name("FILE.toml")
      ->check(CLI::ExistingFile);
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
  if (stop_mhz && pass_mhz && !(*stop_mhz > *pass_mhz)) {
    err << "mandrelix: --stop-mhz " << *stop_mhz << " must lie above --pass-mhz " << *pass_mhz
        << " (see mandrelix --help)\n";
    cl.exit_now = true;
    cl.exit_status = 2;
    return cl;
  }
  if (!directory.empty()) cl.directory = directory;
  auto take = [](const std::string& s, std::optional<std::filesystem::path>& into) {
    if (!s.empty()) into = std::filesystem::path(s);
  };
  take(touchstone, cl.options.touchstone);
  take(csv, cl.options.csv);
  take(save_circuit, cl.options.save_circuit);
  take(plot, cl.options.plot);
  take(drawing, cl.options.drawing);
  take(em_model, cl.options.em_model);
  cl.options.threads = threads;
  cl.options.length_tol_in = length_tol;
  cl.options.diameter_tol_in = diameter_tol;
  take(tolerance, cl.options.tolerance);
  cl.options.trials = trials;
  cl.options.random_state = random_state;
  cl.options.component_tol_pct = component_tol;
  cl.options.normal_errors = distribution == "normal";
  cl.options.pass_mhz = pass_mhz;
  cl.options.pass_db = pass_db;
  cl.options.stop_mhz = stop_mhz;
  cl.options.stop_db = stop_db;
  cl.options.min_section_in = min_section;
  cl.options.min_wall_in = min_wall;
  cl.options.power_w = power;
  take(spec, cl.options.spec);
  take(spice, cl.options.spice);
  return cl;
}

std::string lower_extension(const std::filesystem::path& name) {
  std::string ext = name.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool result_folders_exist(const RunOptions& options, std::ostream& err) {
  for (const auto* file :
       {&options.touchstone, &options.csv, &options.save_circuit, &options.plot, &options.drawing,
        &options.em_model, &options.tolerance, &options.spice}) {
    if (!*file) continue;
    const std::filesystem::path folder = (*file)->parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
      err << "mandrelix: cannot write \"" << (*file)->string() << "\": the folder \""
          << folder.string() << "\" does not exist\n";
      return false;
    }
    if (std::filesystem::is_directory(**file, ec)) {
      err << "mandrelix: cannot write \"" << (*file)->string() << "\": it is a folder\n";
      return false;
    }
  }
  return true;
}

}  // namespace mx
