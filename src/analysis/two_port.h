// Chain (ABCD) matrix of a two-port at one frequency and its arithmetic.
#pragma once

#include <array>
#include <cmath>

namespace mx {

// Eight reals: A re, A im, B re, B im, C re, C im, D re, D im (B in ohm, C in
// siemens).
struct TwoPort {
  std::array<float, 8> v{1, 0, 0, 0, 0, 0, 1, 0};  // starts as the identity
  static TwoPort identity() { return TwoPort{}; }
};

// Largest magnitude of either part of a complex product: a part beyond it
// keeps its sign and takes this magnitude, so a chain of near-resonant
// elements stays finite.
inline constexpr float kPartLimit = 1.0e15f;

// A part beyond the limit keeps its sign and takes the limit's magnitude; a
// part equal to the limit (or NaN) passes unchanged.
inline float limit_part(float x) {
  if (std::fabs(x) > kPartLimit) return std::copysign(kPartLimit, x);
  return x;
}

// (x1 + j y1)(x2 + j y2), each part limited to kPartLimit. (Inline: the port
// figures take a dozen of them per point.)
inline void complex_product(float& re, float& im, float x1, float y1, float x2, float y2) {
  re = limit_part(x1 * x2 - y1 * y2);
  im = limit_part(x2 * y1 + x1 * y2);
}
// (x1 + j y1) conj(x2 + j y2), each part limited to kPartLimit.
inline void complex_product_conj(float& re, float& im, float x1, float y1, float x2, float y2) {
  re = limit_part(x1 * x2 + y1 * y2);
  im = limit_part(x2 * y1 - x1 * y2);
}

// out = left . right (the two-ports in cascade); out must be neither operand.
void chain_product(TwoPort& out, const TwoPort& left, const TwoPort& right);

// Angle of x + jy in (-pi, pi]; zeros of either sign count as zero; NaN in,
// NaN out.
float angle_of(float x, float y);

}  // namespace mx
