// Chain (ABCD) matrix of a two-port at one frequency and its arithmetic.
#pragma once

#include <array>

namespace mx {

// Eight reals: A re, A im, B re, B im, C re, C im, D re, D im.
struct TwoPort {
  std::array<float, 8> v{1, 0, 0, 0, 0, 0, 1, 0};  // starts as the identity
  static TwoPort identity() { return TwoPort{}; }
};

// Complex product (ltype 2: first times the conjugate of the second), each
// part of the result limited to +-1.0e15.
void nmult(int ltype, float& xt, float& yt, float x1, float y1, float x2, float y2);
// xt = x1 . x2; xt must not be x1 or x2.
void mmult(TwoPort& xt, const TwoPort& x1, const TwoPort& x2);
void eq(TwoPort& a, const TwoPort& b);
// Angle of x + jy in (-pi, pi].
float atn2(float x, float y);

}  // namespace mx
