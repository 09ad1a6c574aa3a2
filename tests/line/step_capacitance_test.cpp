#include "line/step_capacitance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mx {
namespace {

struct Step {
  float cd = -1.0f;
  float fk = -7.0f;  // sentinel: shows whether the factor was written
};

Step step(float d1, float d2, float d3, float d4, float er1, float er2, float f) {
  Step s;
  s.cd = step_capacitance(d1, d2, d3, d4, er1, er2, f, s.fk);
  return s;
}

// Capacitances compared in femtofarads.
constexpr float kFemto = 1e15f;

TEST(StepCapacitance, InnerConductorStep) {
  Step s = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f);
  EXPECT_NEAR(s.cd * kFemto, 242.9f, 0.05f);
  EXPECT_EQ(s.fk, 1.0f);
  s = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 1000.0f);
  EXPECT_NEAR(s.cd * kFemto, 243.0f, 0.05f);
  EXPECT_NEAR(s.fk, 1.00057f, 0.000005f);
  s = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 5000.0f);
  EXPECT_NEAR(s.cd * kFemto, 246.5f, 0.05f);
  EXPECT_NEAR(s.fk, 1.01467f, 0.000005f);
}

TEST(StepCapacitance, OuterConductorStepReportsItsOwnFactor) {
  Step s = step(0.2f, 0.2f, 0.5f, 0.8f, 1.0f, 1.0f, 0.0f);
  EXPECT_NEAR(s.cd * kFemto, 40.43f, 0.005f);
  EXPECT_EQ(s.fk, 1.0f);
  s = step(0.2f, 0.2f, 0.5f, 0.8f, 1.0f, 1.0f, 2000.0f);
  EXPECT_NEAR(s.cd * kFemto, 40.64f, 0.005f);
  EXPECT_NEAR(s.fk, 1.00521f, 0.000005f);
}

TEST(StepCapacitance, BothConductorsStepKeepTheInnerFactor) {
  const Step inner = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 3000.0f);
  const Step both = step(0.1f, 0.4f, 0.5f, 0.8f, 1.0f, 1.0f, 3000.0f);
  // The inner part now sees the wider outer radius; fk comes from that part.
  const Step inner_wide = step(0.1f, 0.4f, 0.8f, 0.8f, 1.0f, 1.0f, 3000.0f);
  EXPECT_EQ(both.fk, inner_wide.fk);
  EXPECT_NE(both.fk, inner.fk);
  EXPECT_GT(both.cd, 0.0f);
}

TEST(StepCapacitance, SwappingTheLinesGivesTheSameCapacitance) {
  const float f[] = {0.0f, 2000.0f};
  for (float fr : f) {
    // Each dielectric goes with its own line.
    const Step a = step(0.1f, 0.4f, 0.5f, 0.8f, 1.0f, 2.1f, fr);
    const Step b = step(0.4f, 0.1f, 0.8f, 0.5f, 2.1f, 1.0f, fr);
    EXPECT_EQ(a.cd, b.cd);
    EXPECT_EQ(a.fk, b.fk);
    const Step c = step(0.2f, 0.2f, 0.8f, 0.5f, 1.0f, 1.0f, fr);
    const Step d = step(0.2f, 0.2f, 0.5f, 0.8f, 1.0f, 1.0f, fr);
    EXPECT_EQ(c.cd, d.cd);
  }
}

TEST(StepCapacitance, NoStepLeavesTheFactorAlone) {
  const Step s = step(0.2f, 0.2f, 0.5f, 0.5f, 1.0f, 2.1f, 1000.0f);
  EXPECT_EQ(s.cd, 0.0f);
  EXPECT_EQ(s.fk, -7.0f);
}

TEST(StepCapacitance, BeyondTheHigherModeCutoffTheResultIsNaN) {
  // Gap 0.2 inch: the root turns negative a little above 29.5 GHz in air.
  Step s = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 29000.0f);
  EXPECT_TRUE(std::isfinite(s.cd));
  EXPECT_GT(s.fk, 1.0f);
  s = step(0.1f, 0.4f, 0.5f, 0.5f, 1.0f, 1.0f, 30000.0f);
  EXPECT_TRUE(std::isnan(s.fk));
  EXPECT_TRUE(std::isnan(s.cd));  // the clamp does not turn NaN into 0
  s = step(0.2f, 0.2f, 0.5f, 0.8f, 1.0f, 1.0f, 60000.0f);
  EXPECT_TRUE(std::isnan(s.fk));
  EXPECT_TRUE(std::isnan(s.cd));
}

}  // namespace
}  // namespace mx
