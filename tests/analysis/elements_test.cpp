#include "analysis/elements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;

void expect_identity_except(const TwoPort& e, int part) {
  const TwoPort id;
  for (int i = 0; i < 8; ++i) {
    if (i != part) {
      EXPECT_EQ(e.v[i], id.v[i]) << "part " << i;
    }
  }
}

TEST(ElementTwoPort, SeriesInductorAndShuntCapacitorAt1000MHz) {
  TwoPort e;
  int ierr = -1;
  ierr = element_two_port(static_cast<Element>(2), 10.0f, 123.0f, 456.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_EQ(ierr, 0);
  EXPECT_NEAR(e.v[3], 62.83f, 0.005f);
  expect_identity_except(e, 3);

  ierr = element_two_port(static_cast<Element>(7), 1.0f, 0.0f, 0.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_EQ(ierr, 0);
  EXPECT_NEAR(e.v[5], 0.006283f, 5e-7f);
  expect_identity_except(e, 5);
}

TEST(ElementTwoPort, OtherCodesSetTheirOnePart) {
  const float w = 2.0f * kPi * 1000.0f;
  TwoPort e;
  int ierr = -1;
  ierr = element_two_port(static_cast<Element>(3), 1.0f, 0, 0, 1000.0f, e)
             ? 0
             : 1;  // 1 pF in series: -j159 ohm
  EXPECT_NEAR(e.v[3], -159.15f, 0.01f);
  expect_identity_except(e, 3);
  ierr = element_two_port(static_cast<Element>(6), 10.0f, 0, 0, 1000.0f, e)
             ? 0
             : 1;  // 10 nH across: -j0.0159 S
  EXPECT_NEAR(e.v[5], -0.015915f, 1e-6f);
  expect_identity_except(e, 5);
  // LC pairs, 1 pF and 10 nH (resonant at 1591.5 MHz).
  ierr = element_two_port(static_cast<Element>(17), 0, 1.0f, 10.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_NEAR(e.v[5], w * 1.0e-6f - 1.0f / (w * 0.01f), 1e-7f);
  expect_identity_except(e, 5);
  ierr = element_two_port(static_cast<Element>(18), 0, 1.0f, 10.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_NEAR(e.v[3], 62.83f - 159.15f, 0.02f);
  expect_identity_except(e, 3);
  const float t = 1.0f - w * w * 1.0e-8f;
  ierr = element_two_port(static_cast<Element>(16), 0, 1.0f, 10.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_NEAR(e.v[3], 62.83f / t, 0.02f);
  expect_identity_except(e, 3);
  ierr = element_two_port(static_cast<Element>(19), 0, 1.0f, 10.0f, 1000.0f, e) ? 0 : 1;
  EXPECT_NEAR(e.v[5], 0.006283f / t, 1e-6f);
  expect_identity_except(e, 5);
  EXPECT_EQ(ierr, 0);
}

TEST(ElementTwoPort, UnknownCodeGivesErrorAndIdentity) {
  for (int ic : {0, -1, 1, 4, 5, 8, 15, 20, 1000}) {
    TwoPort e;
    e.v = {9, 9, 9, 9, 9, 9, 9, 9};
    int ierr = 0;
    ierr = element_two_port(static_cast<Element>(ic), 10.0f, 1.0f, 1.0f, 1000.0f, e) ? 0 : 1;
    EXPECT_EQ(ierr, 1) << ic;
    EXPECT_EQ(e.v, TwoPort::identity().v) << ic;
  }
}

TEST(ElementTwoPort, ParallelBranchAtExactResonanceStaysFinite) {
  // The inductance (near 25.3 nH) for which 1 - w^2 L C rounds to exactly zero.
  const float c2 = 1.0f;
  const float f = 1000.0f;
  const float w = (kPi + kPi) * f;
  const float w2 = w * w;
  float c3 = 1.0f / (c2 * w2 * 1.0e-9f);
  for (int i = 0; i < 64; ++i) c3 = std::nextafter(c3, 0.0f);
  bool found = false;
  for (int i = 0; i < 129 && !found; ++i) {
    found = 1.0f - c2 * w2 * c3 * 1.0e-9f == 0.0f;
    if (!found) c3 = std::nextafter(c3, 100.0f);
  }
  ASSERT_TRUE(found);
  TwoPort e;
  int ierr = -1;
  ierr = element_two_port(static_cast<Element>(16), 0.0f, c2, c3, f, e) ? 0 : 1;
  EXPECT_EQ(ierr, 0);
  EXPECT_TRUE(std::isfinite(e.v[3]));
  EXPECT_EQ(e.v[3], (c3 * w * 0.001f) / 1.0e-15f);  // exact zero taken as +1e-15
  EXPECT_GT(e.v[3], 1.0e16f);
  ierr = element_two_port(static_cast<Element>(19), 0.0f, c2, c3, f, e) ? 0 : 1;
  EXPECT_EQ(e.v[5], (c2 * w * 1.0e-6f) / 1.0e-15f);
}

TEST(LineTwoPort, QuarterWaveIdentityAndLossyLine) {
  TwoPort m;
  line_two_port(50.0f, kPi / 2.0f, 0.0f, m);
  EXPECT_NEAR(m.v[0], 0.0f, 1e-6f);
  EXPECT_NEAR(m.v[6], 0.0f, 1e-6f);
  EXPECT_EQ(m.v[1], 0.0f);
  EXPECT_FLOAT_EQ(m.v[3], 50.0f);
  EXPECT_FLOAT_EQ(m.v[5], 0.02f);
  EXPECT_EQ(m.v[2], 0.0f);

  line_two_port(75.0f, 0.0f, 0.0f, m);
  EXPECT_EQ(m.v, TwoPort::identity().v);

  // A = D = cosh(g), B = z sinh(g), C = sinh(g)/z for g = sigma + j theta.
  const float z = 35.0f, theta = 1.1f, sigma = 0.3f;
  line_two_port(z, theta, sigma, m);
  const double zd = z;
  const std::complex<double> g(static_cast<double>(sigma), static_cast<double>(theta));
  const auto ch = std::cosh(g), sh = std::sinh(g);
  EXPECT_NEAR(m.v[0], ch.real(), 1e-5);
  EXPECT_NEAR(m.v[1], ch.imag(), 1e-5);
  EXPECT_NEAR(m.v[2], zd * sh.real(), 1e-4);
  EXPECT_NEAR(m.v[3], zd * sh.imag(), 1e-4);
  EXPECT_NEAR(m.v[4], sh.real() / zd, 1e-7);
  EXPECT_NEAR(m.v[5], sh.imag() / zd, 1e-7);
  EXPECT_EQ(m.v[6], m.v[0]);
  EXPECT_EQ(m.v[7], m.v[1]);
}

}  // namespace
}  // namespace mx
