#include "export/s_parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "ladder_abcd.h"

namespace mx {
namespace {

using test::Abcd;
using test::Cx;

void expect_near(Cx got, Cx want, double tol) {
  EXPECT_NEAR(got.real(), want.real(), tol);
  EXPECT_NEAR(got.imag(), want.imag(), tol);
}

SParameters of(const Abcd& m, double z01, double z02) {
  return abcd_to_s(test::to_float(m), z01, z02);
}

TEST(AbcdToS, MatchedThroughLine) {
  // A lossless 50 ohm line, 30 degrees long, between 50 ohm ports: no
  // reflection and S21 = exp(-j 30 deg).
  const double t = std::numbers::pi / 6.0;
  const Abcd line{Cx(std::cos(t)), Cx(0.0, 50.0 * std::sin(t)), Cx(0.0, std::sin(t) / 50.0),
                  Cx(std::cos(t))};
  const SParameters s = of(line, 50.0, 50.0);
  expect_near(s.s11, 0.0, 1e-7);
  expect_near(s.s22, 0.0, 1e-7);
  expect_near(s.s21, std::polar(1.0, -t), 1e-7);
  expect_near(s.s12, std::polar(1.0, -t), 1e-7);
}

TEST(AbcdToS, SeriesAndShuntResistors) {
  // Series R between equal references: S11 = R / (R + 2 Z0), S21 = 2 Z0 / (R + 2 Z0).
  SParameters s = of(Abcd{1.0, 50.0, 0.0, 1.0}, 50.0, 50.0);
  expect_near(s.s11, 1.0 / 3.0, 1e-12);
  expect_near(s.s22, 1.0 / 3.0, 1e-12);
  expect_near(s.s21, 2.0 / 3.0, 1e-12);
  expect_near(s.s12, 2.0 / 3.0, 1e-12);
  // Shunt R = 25 ohm: S11 = -Z0 / (2R + Z0) = -1/2, S21 = 2R / (2R + Z0) = 1/2.
  s = of(Abcd{1.0, 0.0, 1.0 / 25.0, 1.0}, 50.0, 50.0);
  expect_near(s.s11, -0.5, 1e-7);
  expect_near(s.s21, 0.5, 1e-7);
}

TEST(AbcdToS, UnequalReferences) {
  // A plain connection from 50 ohm to 200 ohm: S11 = (200-50)/(200+50),
  // S22 = -S11, S21 = S12 = 2 sqrt(50*200)/250.
  SParameters s = of(Abcd{}, 50.0, 200.0);
  expect_near(s.s11, 0.6, 1e-12);
  expect_near(s.s22, -0.6, 1e-12);
  expect_near(s.s21, 0.8, 1e-12);
  expect_near(s.s12, 0.8, 1e-12);
  // An ideal 1:2 transformer (A = 1/2, D = 2) matches 50 ohm to 200 ohm.
  s = of(Abcd{0.5, 0.0, 0.0, 2.0}, 50.0, 200.0);
  expect_near(s.s11, 0.0, 1e-12);
  expect_near(s.s22, 0.0, 1e-12);
  expect_near(s.s21, 1.0, 1e-12);
  expect_near(s.s12, 1.0, 1e-12);
  // The same transformer the other way round reflects at both ports.
  s = of(Abcd{0.5, 0.0, 0.0, 2.0}, 200.0, 50.0);
  EXPECT_GT(std::abs(s.s11), 0.8);
}

TEST(AbcdToS, LosslessReciprocalLadderConservesPower) {
  for (double f : {10.0, 500.0, 990.0, 1000.0, 1300.0, 2500.0}) {
    for (auto [z1, z2] : {std::pair{50.0, 50.0}, std::pair{50.0, 75.0}, std::pair{12.5, 300.0}}) {
      const SParameters s = of(test::ladder_abcd(test::kChebyshev7, true, f), z1, z2);
      SCOPED_TRACE(testing::Message() << "f = " << f << " MHz, " << z1 << " / " << z2 << " ohm");
      EXPECT_NEAR(std::norm(s.s11) + std::norm(s.s21), 1.0, 1e-5);
      EXPECT_NEAR(std::abs(s.s11), std::abs(s.s22), 1e-5);
      EXPECT_NEAR(std::norm(s.s22) + std::norm(s.s12), 1.0, 1e-5);
      // S12 is S21 in the deep stopband too, where the float matrix no longer
      // holds AD - BC = 1 (|A| near 3000 at 2500 MHz puts it 40 % off).
      EXPECT_EQ(s.s12, s.s21);
    }
  }
}

TEST(AbcdToS, AgreesWithInputImpedance) {
  // S11 is the reflection of Zin = (A Z02 + B) / (C Z02 + D) against Z01.
  const Abcd m = test::ladder_abcd(test::kChebyshev7, false, 800.0);
  const double z1 = 50.0, z2 = 30.0;
  const std::array<float, 8> f = test::to_float(m);
  const auto part = [&](int i) {
    return Cx(static_cast<double>(f[i]), static_cast<double>(f[i + 1]));
  };
  const Cx a = part(0), b = part(2), c = part(4), d = part(6);
  const Cx zin = (a * z2 + b) / (c * z2 + d);
  expect_near(abcd_to_s(f, z1, z2).s11, (zin - z1) / (zin + z1), 1e-9);
}

TEST(AbcdToS, UnusableInputGivesNonFiniteValues) {
  for (double bad : {0.0, -50.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(all_finite(of(Abcd{}, bad, 50.0))) << bad;
    EXPECT_FALSE(all_finite(of(Abcd{}, 50.0, bad))) << bad;
  }
  // A Z02 + B + C Z01 Z02 + D Z01 = 0: nothing reaches the load.
  EXPECT_FALSE(all_finite(of(Abcd{1.0, -100.0, 0.0, 1.0}, 50.0, 50.0)));
  std::array<float, 8> m{1, 0, 0, 0, 0, 0, 1, 0};
  m[3] = std::nanf("");
  EXPECT_FALSE(all_finite(abcd_to_s(m, 50.0, 50.0)));
  EXPECT_TRUE(all_finite(of(Abcd{}, 50.0, 50.0)));
}

}  // namespace
}  // namespace mx
