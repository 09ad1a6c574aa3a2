// Scattering parameters of a two-port from its chain (ABCD) matrix.
#pragma once

#include <array>
#include <complex>

namespace mx {

struct SParameters {
  std::complex<double> s11, s21, s12, s22;
};

// The S-parameters of the two-port whose chain matrix is abcd (A re, A im,
// B re, B im, C re, C im, D re, D im as in SweepPoint; B in ohm, C in
// siemens), referred to the real impedances z01 at port 1 and z02 at port 2,
// worked in double. A reference that is not a positive finite number gives
// NaN in every parameter; so does a matrix holding NaN. A network that cannot
// be matched at all (A z02 + B + C z01 z02 + D z01 = 0) gives non-finite values.
//
// The two-port is taken to be reciprocal, as every filter the program
// analyses is (inductors, capacitors, coaxial lines with their losses): S12
// is S21. Working S12 out of AD - BC would not do: in the stopband A, B, C
// and D grow by orders of magnitude while AD - BC stays 1, and the float
// matrix leaves that difference anywhere, even of the wrong sign.
SParameters abcd_to_s(const std::array<float, 8>& abcd, double z01, double z02);

// True when every part of every parameter is finite.
bool all_finite(const SParameters& s);

// A resistance usable as a reference: positive and finite.
bool valid_reference(double r);

}  // namespace mx
