// Stepped-impedance coaxial synthesis: every series inductor of the lumped
// ladder becomes a short high-impedance line section, every shunt capacitor a
// short low-impedance section. A section's length is found from the reactance
// (or susceptance) it must supply after crediting half of each neighbour and
// the step capacitances at its ends; since the neighbours' lengths are
// themselves unknown, the lengths are found by repeated passes until they
// settle. The ends then get a correction for the junction with the source and
// load lines.
#pragma once

#include <vector>

#include "model/design_record.h"
#include "model/index_array.h"

namespace mx {

// The lengths did not settle within this many passes (Realizability::kUnsettled).
inline constexpr int kMaxLengthPasses = 200;

// Why a design cannot be built; the values are those of the messages.
enum class Realizability : int {
  kDone = 0,
  kHighTooLow = 1,     // the high-impedance level must be higher (z_must: at least)
  kLowTooHigh = 2,     // the low-impedance level must be lower (z_must: at most)
  kStepsTooLarge = 3,  // the step capacitances alone exceed the capacitor of `section`
  kUnsettled = 4,      // the lengths did not settle within kMaxLengthPasses passes
};

struct SteppedLineResult {
  Realizability code = Realizability::kDone;
  int section = 0;   // section named by the realizability message
  float z_must = 0;  // impedance named by the realizability message, ohm
  int passes = 0;    // passes made
  // Step capacitances of the five junction kinds at the cutoff, F.
  float cap_source_low = 0;                        // source line - low-impedance section
  float cap_high_source = 0;                       // high-impedance section - source line
  float cap_high_low = 0;                          // high-impedance - low-impedance section
  float cap_load_low = 0;                          // load line - low-impedance section
  float cap_high_load = 0;                         // high-impedance section - load line
  float end_correction1 = 0, end_correction2 = 0;  // lengths added to end sections, inch
  float te11_ghz[4] = {};                          // TE11 cutoff of each LineKind
  float peak_kw[4] = {};                           // peak power of each LineKind
  IndexArray<float, 1, 31> proximity;              // "Prox. Fact." of each section
  // The first and last lengths as left by the end corrections, so that
  // lengths taken off for the lumped-equivalent check can be put back exactly.
  float length_first = 0, length_last = 0;
};

// Runs the whole synthesis on ds: the origin becomes a distributed synthesis;
// ds.coax receives the lengths (with end corrections), step capacitances,
// wc, the phase velocities and impedances of the two section kinds and the
// five junction frequency factors.
void synthesize_stepped_line(DesignRecord& ds, SteppedLineResult& r);

// The same with another pass limit (kUnsettled when it is reached). When
// changes is given, the largest length change of every completed pass is
// appended to it.
void synthesize_stepped_line(DesignRecord& ds, SteppedLineResult& r, int max_passes,
                             std::vector<float>* changes);

struct PassOutcome {
  Realizability code = Realizability::kDone;
  int section = 0;
  float z_must = 0;
};

// One pass (pass 1 from the lumped values alone) of the section lengths.
PassOutcome section_length_pass(DesignRecord& ds, int pass);

// Proximity factor (0..1) of a high-impedance section of length x between
// two steps: inner radii (or diameters) r1 of the section and r2 of the
// low-impedance neighbours, outer r3, all in one unit with x. The fringing
// fields of two close steps overlap and store less charge than two lone
// steps: the factor rises as tanh(pi x / (2 (r3 - r1))) towards 1 for a long
// section, and is corrected by how far the diameter ratio
// alpha = (r3 - r2) / (r3 - r1) lies from 0.35, where the reduction is
// strongest. An empirical fit; alpha outside 0..1 gives 1 (no reduction).
float proximity_factor(float r1, float r2, float r3, float x);

// Length (inch) to add to a high-impedance end section of length `length`
// for a junction capacitance cap (F) against an end line of impedance z_line.
float end_correction(const DesignRecord& ds, float cap, float length, float z_line);

// The lumped element each synthesized section stands for, from its lengths
// (with no end correction) at the cutoff: value(j) in pF or nH, and its
// parts (j, 1..4): the contributions of the section before, of the section
// itself, of the section after and (capacitive sections) of the steps.
struct LumpedEquivalents {
  IndexArray<float, 1, 31> value;
  IndexArray2<float, 1, 31, 1, 4> parts;
  IndexArray<float, 0, 32> length;  // the lengths the figures were found from, inch
};

// The lumped equivalents of the completed synthesis r; ds is left as it was.
LumpedEquivalents lumped_equivalents(DesignRecord& ds, const SteppedLineResult& r);

// The same figures from the lengths ds holds now (for a configuration other
// than standard or dual, nothing is written).
void lumped_equivalents_of_lengths(const DesignRecord& ds, LumpedEquivalents& out);

// Take the end corrections of a completed run r off the lengths (those of the
// converged passes, as the lumped equivalents need them), and put them back.
// Both do nothing unless r finished with kDone.
void remove_end_corrections(DesignRecord& ds, const SteppedLineResult& r);
void restore_end_corrections(DesignRecord& ds, const SteppedLineResult& r);

}  // namespace mx
