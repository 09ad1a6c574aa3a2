// Low-pass prototype values and the element values of the standard ladder
// (shunt C first) and the dual ladder (series L first).
#pragma once

#include "model/design_state.h"

namespace mx {

// Writes g(1..n+1), shuntc(k) in pF, serl(k) in nH into ds.real2, and the two
// load resistances into rod and ros. ires = 2 is Butterworth, anything else
// Chebyshev; a Chebyshev ripple below 1e-10 dB is raised to 1e-10 in am.
// n must lie in 1..30.
void lppev(DesignState& ds, float& am, float fc, int ires, int n, float& rod, float& ros,
           float zo);

}  // namespace mx
