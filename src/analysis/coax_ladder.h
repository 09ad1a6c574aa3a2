// The stepped-impedance coaxial filter of the design record as one chain
// matrix: lossy line sections with a shunt capacitance at every step.
#pragma once

#include "analysis/two_port.h"
#include "model/design_state.h"

namespace mx {

// ifrom 1: the synthesized filter (xlen, discap, high and low lines of the
// synthesis), its stored junction capacitances re-scaled from the frequency
// factors of the synthesis to those at f; disc2 and disc5 are its end
// junctions towards the source and load lines when the end section is a
// high-impedance line.
// Any other ifrom: the entered circuit (ana* arrays, lines 0..n+1); its n+1
// junction capacitances at f are written to acap(0..n), and fk holds the
// factor of junction n. The source and load lines add no line section.
// f in MHz, capacitances in farads.
void cxladd(DesignState& ds, float disc2, float disc5, float f, TwoPort& rs);

}  // namespace mx
