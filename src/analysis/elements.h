// Two-ports of single components at one frequency: lumped elements and LC
// branches, and uniform lossy transmission-line sections.
#pragma once

#include <cmath>

#include "analysis/two_port.h"
#include "base/units.h"

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

// The two elements of a ladder, at the angular frequency w = angular(f) (f in
// MHz): the reactance (ohm) of a series inductor of nh nanohenry and the
// susceptance (S) of a shunt capacitor of pf picofarad. element_two_port and
// the sweep both take them from here.
// With w in rad/us, w nh x kOhmPerNanohenry is ohm and w pf x
// kSiemensPerPicofarad is siemens.
inline constexpr float kOhmPerNanohenry = 0.001f;
inline constexpr float kSiemensPerPicofarad = 1.0e-6f;
inline float angular(float f) { return (kPi + kPi) * f; }
inline float series_l_reactance(float w, float nh) { return w * nh * kOhmPerNanohenry; }
inline float shunt_c_susceptance(float w, float pf) { return w * pf * kSiemensPerPicofarad; }

// A ladder arm with a resonating partner: own is the reactance of a series
// inductor (or the susceptance of a shunt capacitor) and partner the
// susceptance of the capacitor across it (or the reactance of the inductor in
// series with it), both at one frequency. The arm's reactance (susceptance)
// own / (1 - own partner), with 1 - w^2 L C kept away from zero as for the
// LC branches below.
float resonant_arm(float own, float partner);

// The resonance of nh nanohenry with pf picofarad, MHz: 1 / (2 pi sqrt(L C)).
inline float resonance_mhz(float nh, float pf) {
  return 1.0f / ((kPi + kPi) * std::sqrt(nh * pf * 1.0e-9f));
}

// Chain matrix of a lossless element: the identity with one imaginary part
// set (of B for elements in the path, of C for those across it). An unknown
// kind gives false and the identity.
bool element_two_port(Element kind, float value1, float value2, float value3, float f, TwoPort& e);

// Chain matrix of a line of impedance z (ohm), electrical length theta (rad)
// and total attenuation sigma (Np): A = D = cosh(g), B = z sinh(g),
// C = sinh(g)/z with g = sigma + j theta.
void line_two_port(float z, float theta, float sigma, TwoPort& abcd);

}  // namespace mx
