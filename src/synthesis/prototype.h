// Normalized low-pass ladders computed from their transfer functions: Bessel,
// Legendre (optimum-L) and elliptic (Cauer). Unlike the closed-form Chebyshev
// and Butterworth values of ladder.h these have no explicit element formulas,
// so the transfer function is built first and the ladder extracted from its
// input admittance. The work is done in long double; callers take floats at
// the boundary.
#pragma once

#include <string>
#include <vector>

namespace mx {

// The responses made here.
enum class PrototypeKind { kBessel, kLegendre, kElliptic };

// Largest order made here.
inline constexpr int kMaxPrototypeOrder = 15;

struct PrototypeRequest {
  PrototypeKind kind = PrototypeKind::kBessel;
  int order = 0;
  double ripple_db = 0;    // elliptic: passband ripple, dB (> 0)
  double stopband_db = 0;  // elliptic: least stopband attenuation, dB (> ripple_db)
};

// A ladder between a 1-ohm source and a 1-ohm load, its passband edge
// (elliptic) or -3 dB frequency (Bessel, Legendre) at 1 rad/s. Positions
// 1..n from the source: odd positions are shunt capacitors g[k] (F), even
// ones series inductors g[k] (H), each with resonator[k] (F) across it, 0
// where there is none. The dual ladder (series inductor first, series-resonant
// shunt arms) has the same numbers with L and C exchanged.
struct LadderPrototype {
  int order = 0;
  std::vector<double> g;          // [0] source, [1..n] elements, [n+1] load resistance (ohm)
  std::vector<double> resonator;  // [1..n]
  double stopband_edge = 0;       // elliptic: where the loss first reaches stopband_db, rad/s
};

struct PrototypeResult {
  LadderPrototype ladder;
  std::string error;  // empty, or one line saying why the ladder cannot be made
};

PrototypeResult ladder_prototype(const PrototypeRequest& request);

// The resonance of element k of the prototype (rad/s), 0 where there is none.
double resonance(const LadderPrototype& p, int k);

// Legendre (optimum-L) characteristic polynomial L_n(w), w = omega^2, in
// ascending powers: |S21|^2 = 1 / (1 + L_n(w)), L_n(0) = 0, L_n(1) = 1.
std::vector<double> legendre_characteristic(int order);

}  // namespace mx
