// Low-pass prototype values and the element values of the standard ladder
// (shunt C first) and the dual ladder (series L first).
#pragma once

#include "model/design_record.h"

namespace mx {

// Writes g(1..n+1), the shunt capacitors (pF) and series inductors (nH) of
// both configurations and the two load resistances into ladder, for a cutoff
// of cutoff_mhz and a system impedance zo (ohm). Butterworth gives the
// maximally flat values; anything else the equal-ripple (Chebyshev) values
// of ripple_db, which is raised to 1e-10 dB when below it. n must lie in
// 1..30; otherwise nothing is written.
void synthesize_ladder(Ladder& ladder, float& ripple_db, float cutoff_mhz, Response response, int n,
                       float zo);

}  // namespace mx
