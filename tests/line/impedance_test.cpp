#include "line/impedance.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

DiameterSolution solve(float b, float d, float er, float zo, MissingDiameter missing) {
  return solve_diameter(b, d, er, zo, missing);
}
constexpr MissingDiameter kInner = MissingDiameter::kInner;
constexpr MissingDiameter kOuter = MissingDiameter::kOuter;

TEST(LineImpedance, ImpedanceAndMissingDiameter) {
  float z = line_impedance(0.5f, 0.2172f, 1.0f);
  EXPECT_NEAR(z, 49.99f, 0.005f);  // 59.958 ln 2.302, just under 50 in single precision

  DiameterSolution s = solve(0.5f, 0.0f, 1.0f, 50.0f, kInner);
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.outer, 0.5f);
  EXPECT_NEAR(s.inner, 0.2172f, 0.00005f);

  s = solve(0.5f, 0.0f, 2.1f, 50.0f, kInner);
  EXPECT_TRUE(s.ok);
  EXPECT_NEAR(s.inner, 0.1493f, 0.00005f);

  s = solve(0.0f, 0.2172f, 1.0f, 50.0f, kOuter);
  EXPECT_TRUE(s.ok);
  EXPECT_EQ(s.inner, 0.2172f);
  EXPECT_NEAR(s.outer, 0.5f, 0.0001f);
  z = line_impedance(s.outer, s.inner, 1.0f);
  EXPECT_NEAR(z, 50.0f, 0.001f);
}

TEST(LineImpedance, RefusalsComputeNothing) {
  DiameterSolution s = solve(0.5f, 0.3f, 1.0f, 0.005f, kInner);  // impedance below 0.01 ohm
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.outer, 0.5f);
  EXPECT_EQ(s.inner, 0.3f);

  s = solve(0.5f, 0.3f, 1.0f, 1000.0f, kInner);  // above 999.99 ohm
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.inner, 0.3f);

  s = solve(0.5f, 0.3f, 1.1f, 999.0f, kInner);  // ln(b/d) = 17.47
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.outer, 0.5f);
  EXPECT_EQ(s.inner, 0.3f);
}

TEST(LineImpedance, ImplausibleDiameterIsComputedButRefused) {
  DiameterSolution s = solve(0.5f, 0.3f, 1.0f, 999.0f, kInner);  // ln(b/d) = 16.66
  EXPECT_FALSE(s.ok);
  EXPECT_NEAR(s.inner, 2.9e-8f, 0.05e-8f);

  s = solve(0.0f, 5.0f, 1.0f, 300.0f, kOuter);  // b = 5 e^5.0 = 742 inch
  EXPECT_FALSE(s.ok);
  EXPECT_GT(s.outer, 99.99f);
}

}  // namespace
}  // namespace mx
