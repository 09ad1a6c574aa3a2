#include "line/attenuation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kCopper = 1.724e-6f / 2.54f;  // ohm-inch
constexpr float kB = 0.5f, kD = 0.2172f;      // 50-ohm air line, inches

float loss(float er, float sr, float res, float dltan, float f) {
  return line_attenuation(kB, kD, er, sr, res, dltan, f);
}

TEST(LineAttenuation, LosslessCases) {
  for (float f : {1.0f, 1000.0f, 18000.0f}) {
    EXPECT_EQ(loss(1.0f, 1.0e-4f, 0.0f, 0.001f, f), 0.0f) << f;  // air ignores dltan
    EXPECT_EQ(loss(2.1f, 0.0f, 0.0f, 0.0f, f), 0.0f) << f;
  }
  EXPECT_EQ(loss(2.1f, 1.0e-4f, kCopper, 0.001f, 0.0f), 0.0f);
}

TEST(LineAttenuation, SmoothCopperAirLine) {
  // Rs = sqrt(pi f mu0 rho) = 8.25 mohm at 1 GHz; Rs / (2 pi Z0) (1/b + 1/d).
  EXPECT_NEAR(loss(1.0f, 0.0f, kCopper, 0.0f, 1000.0f), 1.734e-4f, 0.002e-4f);
  // Conductor loss grows as sqrt(f).
  EXPECT_NEAR(loss(1.0f, 0.0f, kCopper, 0.0f, 4000.0f) / loss(1.0f, 0.0f, kCopper, 0.0f, 1000.0f),
              2.0f, 1e-5f);
}

TEST(LineAttenuation, RoughnessRaisesConductorLossTowardsTwice) {
  const float smooth = loss(1.0f, 0.0f, kCopper, 0.0f, 1000.0f);
  // The skin depth of copper at 1 GHz is about 82 micro-inches.
  const float one_depth = loss(1.0f, 82.0e-6f, kCopper, 0.0f, 1000.0f) / smooth;
  EXPECT_GT(one_depth, 1.5f);
  EXPECT_LT(one_depth, 1.7f);
  const float very_rough = loss(1.0f, 0.01f, kCopper, 0.0f, 1000.0f) / smooth;
  EXPECT_LT(very_rough, 2.0f);
  EXPECT_NEAR(very_rough, 2.0f, 1e-4f);
}

TEST(LineAttenuation, DielectricLossGrowsAsF) {
  const float f = 3000.0f;
  const float expected = 0.001f * kPi * std::sqrt(2.1f) * f * 0.001f / 11.8028545f;
  EXPECT_FLOAT_EQ(loss(2.1f, 0.0f, 0.0f, 0.001f, f), expected);
  EXPECT_FLOAT_EQ(loss(2.1f, 0.0f, 0.0f, 0.001f, 2.0f * f), 2.0f * expected);
  // Both parts together add.
  const float both = loss(2.1f, 0.0f, kCopper, 0.001f, f);
  EXPECT_FLOAT_EQ(both, loss(2.1f, 0.0f, kCopper, 0.0f, f) + expected);
}

}  // namespace
}  // namespace mx
