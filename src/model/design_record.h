// The design record: the one set of choices, design inputs, per-section
// arrays, results and file names that every layer above reads and writes.
// One instance lives for the whole run; it is never cleared between cycles,
// so a blank answer keeps the value of the previous cycle.
//
// Each member's comment names the label the dialog, the reports or the data
// files show for it (FC1, Am, N, Rs ...), so a search for a screen label
// finds the code that holds it. docs/glossary.md lists them all.
#pragma once

#include <string>

#include "base/clock.h"
#include "base/name20.h"
#include "model/index_array.h"

namespace mx {

// ------------------------------------------------------------------ codes
// The numeric values are those the menus and the data files carry.

// "Program FUNCTION selected".
enum class Function : int { kNone = 0, kAnalysis = 1, kSynthesis = 2 };

// "Synthesis OPTION" / "Frequency Analysis OPTION": the kind of circuit.
enum class Option : int { kNone = 0, kElectrical = 1, kDistributed = 2 };

// "Response SUBOPTION": the ladder's response. The dialog offers the first
// two; the others come from a design file.
enum class Response : int {
  kNone = 0,
  kChebyshev = 1,
  kButterworth = 2,
  kBessel = 3,    // maximally flat delay
  kLegendre = 4,  // optimum-L: the steepest monotonic skirt
  kElliptic = 5,  // equal ripple in both bands, finite transmission zeros
};

// "Analysis SUBOPTION": how the circuit to analyse is given.
enum class CircuitEntry : int { kNone = 0, kTyped = 1, kDataFile = 2 };

// "CONFIGURATION of Filter", ICFG of a lumped circuit file.
enum class Configuration : int {
  kNone = 0,
  kStandard = 1,  // shunt C first (odd positions), series L at even positions
  kDual = 2,      // series L first (odd positions), shunt C at even positions
};

// Where the circuit of the cycle comes from.
enum class Origin : int {
  kNone = 0,
  kDistributedSynthesis = 1,  // the stepped coaxial filter just synthesized
  kDistributedEntered = 2,    // a coaxial circuit typed in or read from a file
  kDistributedRequested = 3,  // the coaxial synthesis of the electrical design was asked for
  kElectricalSynthesis = 4,   // the lumped ladder just synthesized
  kLumpedEntered = 5,         // a lumped circuit typed in or read from a file
};

// "OPERATION selected": what the next cycle does. The record keeps the raw
// answer, so values outside this list occur (they end the run).
enum class NextOperation : int {
  kListing = -529,         // hidden answer: the diagnostic listing of a distributed synthesis
  kEndRun = -1,            // a defaults or circuit data file was rejected
  kProgramStart = 0,       // no cycle yet
  kAskFrequencies = 1,     // new analysis frequencies (or the analysis of the design just made)
  kNewDesign = 2,          // a new design from the FUNCTION menu on
  kReenterElements = 3,    // "Change ELECTRICAL DATA and Re-run"
  kFromConfiguration = 4,  // start at the CONFIGURATION question
};

// Index of the four line kinds of a coaxial synthesis.
enum LineKind : int { kSourceLine = 0, kHighLine = 1, kLowLine = 2, kLoadLine = 3 };

// ------------------------------------------------------------------ groups

// The choices that steer the cycle.
struct Control {
  Function function = Function::kNone;
  Option option = Option::kNone;
  Response response = Response::kNone;
  CircuitEntry entry = CircuitEntry::kNone;
  Configuration configuration = Configuration::kNone;  // ICFG
  Origin origin = Origin::kNone;
  NextOperation next = NextOperation::kProgramStart;
  bool store_report = false;      // "Is Output Data STORAGE desired (1=YES)"
  bool count_from_skirt = false;  // N was computed from F1 and A1
  bool loss_data_given = false;   // the loss-data questions are no longer asked
};

// The design data of a synthesis (and the section count of any circuit).
struct DesignData {
  float cutoff_mhz = 0;         // FC1
  float ripple_db = 0;          // Am: passband ripple (magnitude)
  float skirt_mhz = 0;          // F1: out-of-band skirt frequency
  float skirt_atten_db = 0;     // A1: attenuation wanted at F1 (magnitude)
  float skirt_reached_db = 0;   // A1 of the report: attenuation N sections reach at F1
  float system_impedance = 0;   // Zo: impedance level of the system, ohm
  int sections = 0;             // N: sections of the filter (synthesized or entered)
  float stopband_db = 0;        // elliptic: least stopband attenuation asked for (magnitude)
  float stopband_edge_mhz = 0;  // elliptic: where the loss first reaches stopband_db
  int snap_series = 0;  // values per decade of the standard values a lumped design takes, 0: exact
};

// Source and load impedances of an analysis, ohm.
struct Terminations {
  float rs = 0;  // Rs (ZRS)
  float xs = 0;  // Xs (ZIS)
  float rl = 0;  // Rl (ZRL)
  float xl = 0;  // Xl (ZIL)
};

// The frequency sweep of an analysis: start + step * k for k = 0..steps.
struct Sweep {
  float start_mhz = 0;  // Fmin: "Analysis Start Frequency"
  float stop_mhz = 0;   // Fmax: "Analysis Stop  Frequency"
  float step_mhz = 0;   // Fstep: "Analysis Step  Frequency"
  int steps = 0;        // points - 1
};

// Conductor and dielectric losses of coaxial lines.
struct Losses {
  float resistivity = 0;   // RES, ohm-inch (entered in micro-ohm-cm)
  float roughness = 0;     // SR, RMS surface roughness, inch (entered in micro-inch)
  float loss_tangent = 0;  // DLTAN
};

// The lumped ladder: prototype values and element values of both
// configurations, position 1 at the source.
struct Ladder {
  IndexArray<float, 1, 31> g;          // prototype values g(1..N+1)
  IndexArray<float, 1, 31> shunt_pf;   // SHUNTC: shunt capacitor at position k, pF
  IndexArray<float, 1, 31> series_nh;  // SERL: series inductor at position k, nH
  float load_standard = 0;             // load resistance of the standard circuit, ohm
  float load_dual = 0;                 // load resistance of the dual circuit, ohm
  // Resonating partners (0 where there is none): the capacitor across the
  // series inductor at position k of the standard circuit, pF, and the
  // inductor in series with the shunt capacitor at position k of the dual
  // circuit, nH. Both resonate with their element at a transmission zero.
  IndexArray<float, 1, 31> tank_pf;
  IndexArray<float, 1, 31> trap_nh;
};

// Cross-sections of the four line kinds of a coaxial synthesis (LineKind).
struct LineKinds {
  IndexArray<float, 0, 3> outer;  // B, inch
  IndexArray<float, 0, 3> inner;  // D, inch
  IndexArray<float, 0, 3> er;     // Er, relative dielectric constant
  IndexArray<float, 0, 3> zo;     // Zo, ohm
};

// An entered coaxial circuit: line 0 is the source line, 1..N the sections,
// N+1 the load line.
struct EnteredLines {
  IndexArray<float, 0, 32> outer;       // B, inch
  IndexArray<float, 0, 32> inner;       // D, inch
  IndexArray<float, 0, 32> er;          // Er
  IndexArray<float, 0, 32> length;      // LENGTH of a section, inch
  IndexArray<float, 0, 32> zo;          // Zo, ohm
  IndexArray<float, 0, 32> junction_f;  // step capacitance after line i at the last frequency, F
};

// The stepped coaxial filter of a distributed synthesis.
struct CoaxSolution {
  IndexArray<float, 0, 32> length;         // section lengths, inch ("Length")
  IndexArray2<float, 1, 31, 1, 2> step_f;  // step capacitance at the source (1) and load (2)
                                           // end of each section, F
  float wc = 0;                            // angular cutoff frequency, rad/s
  float v_high = 0;                        // phase velocity in the high-impedance line, inch/s
  float v_low = 0;                         // phase velocity in the low-impedance line, inch/s
  float z_high = 0;                        // impedance of the high-impedance line, ohm
  float z_low = 0;                         // impedance of the low-impedance line, ohm
  // Frequency factor ("Fact.") of the last step-capacitance evaluation, and
  // of the five junction kinds at the cutoff: source-low, high-source,
  // high-low, load-low, high-load.
  float last_factor = 0;
  float factor1 = 0, factor2 = 0, factor3 = 0, factor4 = 0, factor5 = 0;
};

// File names (20 columns, blank padded).
struct FileNames {
  Name20 lumped;   // FNIE: lumped circuit data file
  Name20 coaxial;  // FNID: distributed circuit data file
  Name20 report;   // FNO: report file
};

// Labels of the report titles, kept from cycle to cycle.
struct TitleLabels {
  std::string design = "         ";             // "Design   =", 9 characters
  std::string response = std::string(20, ' ');  // "Response =", 20 characters
  std::string kind = "           ";             // ELECTRICAL or DISTRIBUTED, 11 characters
};

struct DesignRecord {
  Control control;
  DesignData design;
  Terminations ports;
  Sweep sweep;
  Losses losses;
  Ladder ladder;
  LineKinds lines;
  EnteredLines entered;
  CoaxSolution coax;
  FileNames files;
  TitleLabels labels;
  LocalTime run_date;  // "Date:", read once at program start
};

}  // namespace mx
