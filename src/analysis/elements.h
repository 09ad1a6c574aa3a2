// Two-ports of single components at one frequency: lumped elements and LC
// branches, and uniform lossy transmission-line sections.
#pragma once

#include "analysis/two_port.h"

namespace mx {

// Kinds of lumped element. Values: f in MHz, inductance in nH, capacitance in pF.
enum class Element : int {
  kSeriesL = 2,            // value1 inductance
  kSeriesC = 3,            // value1 capacitance
  kShuntL = 6,             // value1 inductance
  kShuntC = 7,             // value1 capacitance
  kSeriesParallelLC = 16,  // value2 capacitance, value3 inductance, in parallel, in the path
  kShuntParallelLC = 17,   // value2, value3 in parallel, across the path
  kSeriesSeriesLC = 18,    // value2, value3 in series, in the path
  kShuntSeriesLC = 19,     // value2, value3 in series, across the path
};

// Chain matrix of a lossless element: the identity with one imaginary part
// set (of B for elements in the path, of C for those across it). An unknown
// kind gives false and the identity.
bool element_two_port(Element kind, float value1, float value2, float value3, float f, TwoPort& e);

// Chain matrix of a line of impedance z (ohm), electrical length theta (rad)
// and total attenuation sigma (Np): A = D = cosh(g), B = z sinh(g),
// C = sinh(g)/z with g = sigma + j theta.
void line_two_port(float z, float theta, float sigma, TwoPort& abcd);

}  // namespace mx
