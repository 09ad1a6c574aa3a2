// The stepped-impedance coaxial filter of the design record as one chain
// matrix: lossy line sections with a shunt capacitance at every step.
#pragma once

#include "analysis/two_port.h"
#include "model/design_record.h"

namespace mx {

// Step capacitances (F) at the ends of a synthesized filter whose end
// section is a high-impedance line: against the source and the load line.
struct EndSteps {
  float high_source = 0;
  float high_load = 0;
};

// A distributed synthesis (origin kDistributedSynthesis): the synthesized
// lengths, step capacitances and line kinds, each stored step capacitance
// re-scaled from the frequency factor of the synthesis to the one at f.
// Any other origin: the entered circuit (lines 0..N+1); its N+1 step
// capacitances at f are written to ds.entered.junction_f(0..N), and the last
// frequency factor is that of step N. The source and load lines add no line
// section. f in MHz.
void coax_cascade(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs);

}  // namespace mx
