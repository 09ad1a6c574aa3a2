// Low-pass prototype values and the element values of the standard ladder
// (shunt C first) and the dual ladder (series L first).
#pragma once

#include <string>

#include "model/design_record.h"

namespace mx {

// Writes g(1..n+1), the shunt capacitors (pF) and series inductors (nH) of
// both configurations and the two load resistances into ladder, for a cutoff
// of cutoff_mhz and a system impedance zo (ohm). Butterworth gives the
// maximally flat values; anything else the equal-ripple (Chebyshev) values
// of ripple_db, which is raised to 1e-10 dB when below it. n must lie in
// 1..30; otherwise nothing is written.
// The resonating partners (tank_pf, trap_nh) are cleared.
void synthesize_ladder(Ladder& ladder, float& ripple_db, float cutoff_mhz, Response response, int n,
                       float zo);

// True for the responses of prototype.h (Bessel, Legendre, elliptic).
bool computed_response(Response response);

// The ladder of a computed response (prototype.h) for design d: its
// cutoff_mhz (the elliptic passband edge or the -3 dB point), sections,
// system_impedance and, for an elliptic response, ripple_db and stopband_db.
// Writes g(1..N+1), both configurations with their resonating partners (the
// standard circuit's series arms parallel-resonant, the dual's shunt arms
// series-resonant) and the loads (both Zo), and d.stopband_edge_mhz (0 but
// for an elliptic response). Computed in double, stored as floats. Returns
// an empty string, or one line saying why the design cannot be made (nothing
// is then written).
std::string synthesize_computed_ladder(Ladder& ladder, DesignData& d, Response response);

// The ladder of design d in its response: synthesize_ladder or
// synthesize_computed_ladder. Returns the latter's refusal.
std::string synthesize_design_ladder(Ladder& ladder, DesignData& d, Response response);

}  // namespace mx
