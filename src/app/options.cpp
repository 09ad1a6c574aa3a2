#include "app/options.h"

#include <CLI/CLI.hpp>
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
  mandrelix --threads 1                      sweep on one thread
  mandrelix --length-tol 0.002               machining tolerance of the lengths, +/- inch
  mandrelix --diameter-tol 0.0002            machining tolerance of the diameters, +/- inch
  mandrelix --min-section 0.02               warn of sections shorter than 0.02 inch
  mandrelix --min-wall 0.008                 warn of radial walls (B-D)/2 thinner than 0.008 inch
  mandrelix --power 2000                     warn when a line carries less than 2000 W peak
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

// A finite number, zero or more (or above zero when `positive`); `what` names it in the message.
CLI::Validator non_negative(const std::string& what, bool positive = false) {
  return CLI::Validator(
      [what, positive](const std::string& text) -> std::string {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(v) || v < 0.0 ||
            v > static_cast<double>(std::numeric_limits<float>::max()) || (positive && v == 0.0))
          return what + (positive ? ", above zero: " : ", zero or more: ") + text;
        return {};
      },
      "");
}

const CLI::Validator kTolerance = non_negative("a tolerance is a number of inches");
const CLI::Validator kInches = non_negative("a minimum is a number of inches");
const CLI::Validator kWatts = non_negative("a power is a number of watts", true);

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv, std::ostream& out,
                               std::ostream& err) {
  CommandLine cl;
  CLI::App app{
      "Designs and analyses coaxial and lumped low-pass filters through a dialog of numbered "
      "menus and questions; the options add result files for other tools.",
      "mandrelix"};
  app.footer(kExamples);
  app.set_version_flag("--version", kProgramVersion);
  std::string directory;
  std::string touchstone, csv, save_circuit, plot, drawing;
  int threads = 0;
  std::optional<float> length_tol, diameter_tol, power, min_section, min_wall;
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
  if (!directory.empty()) cl.directory = directory;
  auto take = [](const std::string& s, std::optional<std::filesystem::path>& into) {
    if (!s.empty()) into = std::filesystem::path(s);
  };
  take(touchstone, cl.options.touchstone);
  take(csv, cl.options.csv);
  take(save_circuit, cl.options.save_circuit);
  take(plot, cl.options.plot);
  take(drawing, cl.options.drawing);
  cl.options.threads = threads;
  cl.options.length_tol_in = length_tol;
  cl.options.diameter_tol_in = diameter_tol;
  cl.options.min_section_in = min_section;
  cl.options.min_wall_in = min_wall;
  cl.options.power_w = power;
  return cl;
}

bool result_folders_exist(const RunOptions& options, std::ostream& err) {
  for (const auto* file : {&options.touchstone, &options.csv, &options.save_circuit, &options.plot,
                           &options.drawing}) {
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
