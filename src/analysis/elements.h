// Two-ports of single components at one frequency: lumped elements and LC
// branches, and uniform lossy transmission-line sections.
#pragma once

#include "analysis/two_port.h"

namespace mx {

// Element codes of cktle. Values: f in MHz, inductance in nH, capacitance in pF.
enum ElementCode : int {
  kSeriesL = 2,          // c1 inductance
  kSeriesC = 3,          // c1 capacitance
  kShuntL = 6,           // c1 inductance
  kShuntC = 7,           // c1 capacitance
  kSeriesParallelLC = 16,  // c2 capacitance, c3 inductance, in parallel, in series with the path
  kShuntParallelLC = 17,   // c2, c3 in parallel, across the path
  kSeriesSeriesLC = 18,    // c2, c3 in series, in series with the path
  kShuntSeriesLC = 19,     // c2, c3 in series, across the path
};

// Chain matrix of the lossless element ic. The matrix is the identity with one
// imaginary part (of B for series elements, of C for shunt ones) set. An
// unknown code gives ierr = 1 and the identity.
void cktle(float c1, float c2, float c3, TwoPort& e, float f, int ic, int& ierr);

// Chain matrix of a line of impedance z (ohm), electrical length theta (rad)
// and total attenuation sigma (Np): A = D = cosh(g), B = z sinh(g),
// C = sinh(g)/z with g = sigma + j theta.
void xline(float z, float theta, float sigma, TwoPort& abcd);

}  // namespace mx
