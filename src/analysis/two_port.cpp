#include "analysis/two_port.h"

#include <cmath>
#include <limits>

#include "base/units.h"

namespace mx {
namespace {

// One complex product of ltype 1, added onto the running sum (re, im).
void add_product(float& re, float& im, float x1, float y1, float x2, float y2) {
  float pr = 0.0f;
  float pi = 0.0f;
  complex_product(pr, pi, x1, y1, x2, y2);
  re = re + pr;
  im = im + pi;
}

}  // namespace

// Element layout: A 0/1, B 2/3, C 4/5, D 6/7 (real, imaginary). Each element
// is cleared and then receives its two products, so out must be distinct from
// both operands.
void chain_product(TwoPort& out, const TwoPort& left, const TwoPort& right) {
  const auto& a = left.v;
  const auto& b = right.v;
  auto& t = out.v;
  // A = A1.A2 + B1.C2
  t[0] = 0.0f;
  t[1] = 0.0f;
  add_product(t[0], t[1], a[0], a[1], b[0], b[1]);
  add_product(t[0], t[1], a[2], a[3], b[4], b[5]);
  // B = A1.B2 + B1.D2
  t[2] = 0.0f;
  t[3] = 0.0f;
  add_product(t[2], t[3], a[0], a[1], b[2], b[3]);
  add_product(t[2], t[3], a[2], a[3], b[6], b[7]);
  // C = C1.A2 + D1.C2
  t[4] = 0.0f;
  t[5] = 0.0f;
  add_product(t[4], t[5], a[4], a[5], b[0], b[1]);
  add_product(t[4], t[5], a[6], a[7], b[4], b[5]);
  // D = C1.B2 + D1.D2
  t[6] = 0.0f;
  t[7] = 0.0f;
  add_product(t[6], t[7], a[4], a[5], b[2], b[3]);
  add_product(t[6], t[7], a[6], a[7], b[6], b[7]);
}

// Four-quadrant angle. Zeros of either sign are treated as zero, so the
// result never depends on the sign of a zero; a NaN gives NaN.
float angle_of(float x, float y) {
  if (std::isnan(x) || std::isnan(y)) return std::numeric_limits<float>::quiet_NaN();
  if (x == 0.0f) {
    if (y > 0.0f) return kPi / 2.0f;
    if (y < 0.0f) return -(kPi / 2.0f);
    return 0.0f;
  }
  if (y == 0.0f) return x > 0.0f ? 0.0f : kPi;
  const float a = std::atan(std::fabs(y / x));
  if (x > 0.0f) return y > 0.0f ? a : -a;
  return y > 0.0f ? kPi - a : a - kPi;
}

}  // namespace mx
