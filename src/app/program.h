// The whole program as a function: console streams, a clock, a working folder
// and the command-line options in, exit status out. main() calls it with the
// process's own; tests call it with strings, a fixed clock and a temporary
// folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "tolerance/dimensions.h"

namespace mx {

// Stated defaults of the machining figures when the command line gives none,
// inch: tolerances (+/-) of the lengths and of the diameters, the shortest
// section and the thinnest wall the warnings accept.
inline constexpr float kDefaultLengthTolIn = 0.001f;
inline constexpr float kDefaultDiameterTolIn = 0.0005f;
inline constexpr float kDefaultMinSectionIn = 0.010f;
inline constexpr float kDefaultMinWallIn = 0.005f;

// What the command line asks for besides the dialog. With none of it the run
// is exactly the dialog and its reports.
struct RunOptions {
  // A person types the answers (standard input is a terminal): a typing
  // mistake is asked again, and a report file that cannot be opened asks for
  // another name, instead of ending the run.
  bool interactive = false;
  // Result files; the k-th analysis or synthesis writes FILE-k.ext (k > 1).
  std::optional<std::filesystem::path> touchstone;    // every analysis: S-parameters
  std::optional<std::filesystem::path> csv;           // every analysis: the sweep
  std::optional<std::filesystem::path> save_circuit;  // every synthesis: a circuit data file
  std::optional<std::filesystem::path> plot;          // every analysis: response plot (SVG)
  std::optional<std::filesystem::path> drawing;       // every distributed synthesis: SVG or DXF
  // Every distributed synthesis and coaxial analysis: an openEMS script of the filter.
  std::optional<std::filesystem::path> em_model;
  // The one real impedance, ohm, the Touchstone file, the CSV's S columns and
  // the response plot are referred to at both ports; unset: the S-parameters
  // are referred to Rs and Rl, the plot shows the report's loss and return loss.
  std::optional<double> reference_ohm;
  // Threads of a sweep; 0 for as many as the machine has.
  int threads = 0;
  // Machining tolerances, inch (+/-): of every section length and of every
  // diameter. Unset: the tools that use them take their stated defaults.
  std::optional<float> length_tol_in;
  std::optional<float> diameter_tol_in;
  // The drawing's concentricity of every centre-conductor diameter to the
  // bore axis, inch (the diameter of the tolerance zone). Unset: the
  // diameter tolerance.
  std::optional<float> concentricity_in;
  // Tolerance study of every distributed synthesis and every analysis: its
  // report (.txt or .json) and how it is run. Unset values take the study's
  // defaults.
  std::optional<std::filesystem::path> tolerance;
  std::optional<int> trials;
  std::optional<std::uint64_t> random_state;
  std::optional<float> component_tol_pct;
  bool normal_errors = false;  // else uniform within the tolerances
  // The loss mask a trial must meet (for an entered circuit; replaces the
  // design's own for a synthesized one): at most pass_db up to pass_mhz, at
  // least stop_db at stop_mhz.
  std::optional<float> pass_mhz, pass_db, stop_mhz, stop_db;
  // Tolerances allocated for a target yield after every study (a JSON file;
  // see tolerance/allocation.h); unset values take the allocation's defaults.
  std::optional<std::filesystem::path> allocate_tolerances;
  std::optional<double> target_yield_pct, finest_length_tol_in, finest_diameter_tol_in;
  std::optional<std::pair<double, double>> cost_weights;  // of lengths, of diameters
  // Dimensions held to their own tolerances (--tolerances, read before the
  // dialog) in every study and on the drawing's cut list.
  std::vector<DimensionTolerance> own_tolerances;
  // What the shop can make (warnings on the error stream, see
  // manufacturability.h): the shortest section, inch; the thinnest radial
  // wall (B - D)/2 between a section's centre conductor and the bore, inch;
  // the peak power every line must carry, W. The warnings come with a drawing
  // or any of these; unset, a minimum takes its stated default and the power
  // is not checked.
  std::optional<float> min_section_in;
  std::optional<float> min_wall_in;
  std::optional<float> power_w;
  // Every lumped synthesis and analysis: an ngspice netlist of the ladder.
  std::optional<std::filesystem::path> spice;
  // A design file (TOML): its design is synthesized and analysed without the
  // dialog, and the reports are printed as the dialog's cycles print them.
  std::optional<std::filesystem::path> spec;
  // Every distributed synthesis: section lengths corrected by the full wave (em_correct.h), its
  // report (JSON), and the mesh of the field runs (coarse, fine, finest or converged).
  std::optional<std::filesystem::path> em_correct;
  std::string em_resolution = "fine";
  // The fit of every coaxial analysis to a measured two-port (fit_files.cpp):
  // the Touchstone file, the report (.txt or .json; the fitted circuit goes
  // beside it as .cxf, and with --plot an overlay "-fit" beside the plot);
  // the inner diameters freed too; |S| alone compared; the step factors:
  // 0 none (the default), 1 one common factor, 2 one per junction kind; and
  // a measurement (or full-wave simulation) of the part as designed that the
  // fit is referred to.
  std::optional<std::filesystem::path> fit, fit_report, fit_reference;
  bool fit_diameters = false;
  bool fit_magnitude_only = false;
  int fit_step_scale = 0;
};

int run_program(std::istream& in, std::ostream& out, std::ostream& err, const Clock& clock,
                const std::filesystem::path& workdir, const RunOptions& options = {});

}  // namespace mx
