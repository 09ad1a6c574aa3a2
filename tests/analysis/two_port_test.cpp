#include "analysis/two_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TwoPort sample() {
  TwoPort m;
  m.v = {0.3f, -1.2f, 25.0f, 40.5f, 0.002f, -0.013f, 1.7f, 0.4f};
  return m;
}

TEST(ComplexProduct, PlainAndConjugateProducts) {
  float x = 0, y = 0;
  complex_product_conj(x, y, 3.0f, 4.0f, 3.0f, 4.0f);
  EXPECT_EQ(x, 25.0f);
  EXPECT_EQ(y, 0.0f);
  complex_product(x, y, 3.0f, 4.0f, 3.0f, 4.0f);
  EXPECT_EQ(x, -7.0f);
  EXPECT_EQ(y, 24.0f);
  complex_product(x, y, 3.0f, 4.0f, 1.0f, -2.0f);
  EXPECT_EQ(x, 11.0f);
  EXPECT_EQ(y, -2.0f);
}

TEST(ComplexProduct, EachPartLimitedOnItsOwn) {
  float x = 0, y = 0;
  complex_product(x, y, 1.0e8f, 0.0f, 1.0e8f, 0.0f);
  EXPECT_EQ(x, 1.0e15f);
  EXPECT_EQ(y, 0.0f);
  complex_product(x, y, -1.0e8f, 0.0f, 1.0e8f, 0.0f);
  EXPECT_EQ(x, -1.0e15f);
  complex_product(x, y, 1.0e8f, 1.0f, 1.0e8f, 0.0f);  // only the real part is beyond the limit
  EXPECT_EQ(x, 1.0e15f);
  EXPECT_EQ(y, 1.0e8f);
  complex_product_conj(x, y, 0.0f, -1.0e10f, 1.0e10f, 0.0f);
  EXPECT_EQ(x, 0.0f);
  EXPECT_EQ(y, -1.0e15f);
  // The limit itself passes; the next float above it is brought back.
  complex_product(x, y, 1.0e15f, 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(x, 9.99999987e14f);
  complex_product(x, y, std::nextafter(1.0e15f, kInf), 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(x, 1.0e15f);
  // An overflowing product is limited too, and NaN passes through.
  complex_product(x, y, 1.0e30f, 0.0f, -1.0e30f, 0.0f);
  EXPECT_EQ(x, -1.0e15f);
  complex_product(x, y, kNaN, 0.0f, 1.0f, 0.0f);
  EXPECT_TRUE(std::isnan(x));
}

TEST(ChainProduct, IdentityOnEitherSideAndKnownProduct) {
  const TwoPort m = sample();
  TwoPort t;
  chain_product(t, TwoPort::identity(), m);
  EXPECT_EQ(t.v, m.v);
  chain_product(t, m, TwoPort::identity());
  EXPECT_EQ(t.v, m.v);

  // Series impedance j10 then shunt admittance j0.1: [[1 + j10*j0.1, j10], [j0.1, 1]].
  TwoPort series, shunt;
  series.v[3] = 10.0f;
  shunt.v[5] = 0.1f;
  chain_product(t, series, shunt);
  EXPECT_FLOAT_EQ(t.v[0], 0.0f);
  EXPECT_EQ(t.v[3], 10.0f);
  EXPECT_EQ(t.v[5], 0.1f);
  EXPECT_EQ(t.v[6], 1.0f);
  chain_product(t, shunt, series);  // the other order: [[1, j10], [j0.1, 0]]
  EXPECT_EQ(t.v[0], 1.0f);
  EXPECT_FLOAT_EQ(t.v[6], 0.0f);
}

TEST(ChainProduct, ProductsLimitedBeforeTheyAreAdded) {
  TwoPort a, b;
  a.v = {1.0e8f, 0, 1.0f, 0, 0, 0, 1, 0};
  b.v = {1.0e8f, 0, 0, 0, -5.0e14f, 0, 1, 0};
  TwoPort t;
  chain_product(t, a, b);
  // A = 1e16 (held at 1e15) + (-5e14); an unlimited sum would be 9.5e15.
  EXPECT_EQ(t.v[0], 1.0e15f - 5.0e14f);
}

TEST(AngleOf, FullTableWithSignedZerosAndNaN) {
  const float a = std::atan(0.5f);
  EXPECT_EQ(angle_of(2.0f, 1.0f), a);
  EXPECT_EQ(angle_of(2.0f, -1.0f), -a);
  EXPECT_EQ(angle_of(-2.0f, 1.0f), kPi - a);
  EXPECT_EQ(angle_of(-2.0f, -1.0f), a - kPi);
  EXPECT_EQ(angle_of(1.0f, 0.0f), 0.0f);
  EXPECT_EQ(angle_of(-1.0f, 0.0f), 3.14159274f);
  EXPECT_EQ(angle_of(-1.0f, -0.0f), kPi);  // a negative zero is still zero: +pi, not -pi
  EXPECT_EQ(angle_of(0.0f, 1.0f), kPi / 2.0f);
  EXPECT_EQ(angle_of(-0.0f, 1.0f), kPi / 2.0f);
  EXPECT_EQ(angle_of(0.0f, -1.0f), -kPi / 2.0f);
  EXPECT_EQ(angle_of(0.0f, 0.0f), 0.0f);
  EXPECT_EQ(angle_of(-0.0f, -0.0f), 0.0f);
  EXPECT_FLOAT_EQ(angle_of(-1.0f, -1.0f), -3.0f * kPi / 4.0f);
  EXPECT_FLOAT_EQ(angle_of(1.0f, -1.0f), -kPi / 4.0f);
  EXPECT_TRUE(std::isnan(angle_of(kNaN, 1.0f)));
  EXPECT_TRUE(std::isnan(angle_of(1.0f, kNaN)));
  EXPECT_TRUE(std::isnan(angle_of(0.0f, kNaN)));
}

}  // namespace
}  // namespace mx
