// Test helper: the chain matrix of a lossless LC ladder, worked in double
// and stored in float as the sweep holds it.
#pragma once

#include <array>
#include <complex>
#include <numbers>
#include <vector>

#include "export/sweep_data.h"

namespace mx::test {

using Cx = std::complex<double>;

struct Abcd {
  Cx a{1.0}, b{0.0}, c{0.0}, d{1.0};
};

inline Abcd times(const Abcd& x, const Abcd& y) {
  return {x.a * y.a + x.b * y.c, x.a * y.b + x.b * y.d, x.c * y.a + x.d * y.c,
          x.c * y.b + x.d * y.d};
}

inline std::array<float, 8> to_float(const Abcd& m) {
  return {static_cast<float>(m.a.real()), static_cast<float>(m.a.imag()),
          static_cast<float>(m.b.real()), static_cast<float>(m.b.imag()),
          static_cast<float>(m.c.real()), static_cast<float>(m.c.imag()),
          static_cast<float>(m.d.real()), static_cast<float>(m.d.imag())};
}

// Values in ladder order from the source: pF for shunt C, nH for series L;
// the standard ladder starts with a shunt C.
inline Abcd ladder_abcd(const std::vector<double>& values, bool standard, double f_mhz) {
  const double w = 2.0 * std::numbers::pi * f_mhz * 1.0e6;
  Abcd m;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool shunt = (i % 2 == 0) == standard;
    Abcd e;
    if (shunt) {
      e.c = Cx(0.0, w * values[i] * 1.0e-12);
    } else {
      e.b = Cx(0.0, w * values[i] * 1.0e-9);
    }
    m = times(m, e);
  }
  return m;
}

// The 7-element 0.1 dB Chebyshev low-pass of the sample data file, 1000 MHz, 50 ohm.
inline const std::vector<double> kChebyshev7{3.760, 11.322, 6.674, 12.521, 6.674, 11.322, 3.760};

// The sweep of that ladder between rs and rl: `points` frequencies step_mhz
// apart from step_mhz on, each with its chain matrix (no port figures).
inline SweepData chebyshev7_sweep(float rs, float rl, int points, float step_mhz) {
  SweepData d;
  d.info.program_version = "Mandrelix 1.1";
  d.info.sections = 7;
  d.info.response = "Chebyshev";
  d.info.configuration = "standard";
  d.info.rs = rs;
  d.info.rl = rl;
  for (int k = 1; k <= points; ++k) {
    SweepPoint p;
    p.f_mhz = step_mhz * static_cast<float>(k);
    p.abcd = to_float(ladder_abcd(kChebyshev7, true, static_cast<double>(p.f_mhz)));
    d.points.push_back(p);
  }
  return d;
}

}  // namespace mx::test
