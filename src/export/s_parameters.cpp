#include "export/s_parameters.h"

#include <cmath>
#include <limits>

namespace mx {
namespace {

bool finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

}  // namespace

bool valid_reference(double r) { return std::isfinite(r) && r > 0.0; }

bool all_finite(const SParameters& s) {
  return finite(s.s11) && finite(s.s21) && finite(s.s12) && finite(s.s22);
}

SParameters abcd_to_s(const std::array<float, 8>& abcd, double z01, double z02) {
  using C = std::complex<double>;
  if (!valid_reference(z01) || !valid_reference(z02)) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const C n(nan, nan);
    return {n, n, n, n};
  }
  const C a(static_cast<double>(abcd[0]), static_cast<double>(abcd[1]));
  const C b(static_cast<double>(abcd[2]), static_cast<double>(abcd[3]));
  const C c(static_cast<double>(abcd[4]), static_cast<double>(abcd[5]));
  const C d(static_cast<double>(abcd[6]), static_cast<double>(abcd[7]));

  const C a2 = a * z02;
  const C c12 = c * (z01 * z02);
  const C d1 = d * z01;
  const C den = a2 + b + c12 + d1;
  const double root = std::sqrt(z01 * z02);

  SParameters s;
  s.s11 = (a2 + b - c12 - d1) / den;
  s.s21 = 2.0 * root / den;
  s.s12 = s.s21;  // reciprocal: AD - BC = 1
  s.s22 = (-a2 + b - c12 + d1) / den;
  return s;
}

}  // namespace mx
