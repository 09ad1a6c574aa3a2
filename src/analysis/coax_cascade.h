// The stepped-impedance coaxial filter of the design record as one chain
// matrix: lossy line sections with a shunt capacitance at every step.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "analysis/two_port.h"
#include "line/attenuation.h"
#include "line/step_capacitance.h"
#include "model/design_record.h"

namespace mx {

// Step capacitances (F) at the ends of a synthesized filter whose end
// section is a high-impedance line: against the source and the load line.
struct EndSteps {
  float high_source = 0;
  float high_load = 0;
};

// The frequency-independent part of the filter, read from the record once
// for a sweep. The chain is junction 0, line 0, junction 1, ..., junction
// `junctions - 1` (one line fewer than junctions). Junctions and lines that
// are the same in every input bit are kept once and evaluated once per
// frequency; junction_at and line_at say which one stands at each place.
struct CoaxNetwork {
  static constexpr int kMaxJunctions = 33;
  static constexpr int kMaxLines = 32;

  // A distinct junction. Entered circuit: its step (the step capacitance at
  // f). Synthesized filter: the stored capacitance c (F) under the frequency
  // factor fkx, re-scaled by the factor over the gap `gap` (inch) between
  // the outer conductor of the line against it and the inner conductor of
  // the high-impedance line.
  struct Junction {
    StepJunction step;
    float gap = 0;
    float c = 0;
    float fkx = 0;
  };
  // A distinct line section: impedance z (ohm), length (inch) and losses.
  // Entered: its phase follows sqrt(Er); synthesized: the wavelength of the
  // high- or low-impedance line.
  struct Line {
    LineLoss loss;
    float z = 0;
    float length = 0;
    bool high = false;
  };

  bool synthesized = false;
  int junctions = 0;
  int lines = 0;
  std::array<std::uint8_t, kMaxJunctions> junction_at{};
  std::array<std::uint8_t, kMaxLines> line_at{};
  int distinct_junctions = 0;
  int distinct_lines = 0;
  std::array<Junction, kMaxJunctions> junction{};
  std::array<Line, kMaxLines> line{};
  float roughness = 0;    // inch
  float resistivity = 0;  // ohm-inch
  float v_high = 0;       // synthesized: phase velocities, inch/s
  float v_low = 0;
};

// A distributed synthesis (origin kDistributedSynthesis): the synthesized
// lengths, step capacitances and line kinds, each stored step capacitance
// re-scaled from the frequency factor of the synthesis to the one at f.
// Any other origin: the entered circuit (lines 0..N+1). The source and load
// lines add no line section.
CoaxNetwork coax_network(const DesignRecord& ds, const EndSteps& ends);

// The chain matrix at f (MHz).
void coax_cascade(const CoaxNetwork& c, float f, TwoPort& rs);
// The chain matrices at f1 and f2, the two products interleaved.
void coax_cascades(const CoaxNetwork& c, float f1, float f2, TwoPort& rs1, TwoPort& rs2);
// The chain matrix at each f[k] in rs[k] (rs as long as f), four products
// at a time side by side.
void coax_cascades(const CoaxNetwork& c, std::span<const float> f, std::span<TwoPort> rs);

// What an evaluation of the entered circuit at f leaves in the record: its
// N+1 step capacitances at f in ds.entered.junction_f(0..N), and the
// frequency factor of the last step that has one in ds.coax.last_factor
// (untouched when no junction steps). Nothing for a synthesized filter.
void leave_junctions(const CoaxNetwork& c, float f, DesignRecord& ds);

// The filter of ds at f (MHz), leaving the record as leave_junctions says.
void coax_cascade(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs);

}  // namespace mx
