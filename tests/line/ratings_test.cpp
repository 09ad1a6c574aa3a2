#include "line/ratings.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

TEST(LineRatings, CutoffAndPowerOfA50OhmLine) {
  float t = 0, p = 0;
  t = te11_cutoff_ghz(0.5f, 0.2172f, 1.0f);
  p = peak_power_kw(0.5f, 0.2172f, 1.0f);
  EXPECT_NEAR(t, 10.477f, 0.0005f);
  EXPECT_NEAR(p, 11.213f, 0.0005f);
  t = te11_cutoff_ghz(0.5f, 0.2172f, 2.1f);
  p = peak_power_kw(0.5f, 0.2172f, 2.1f);
  EXPECT_NEAR(t, 7.230f, 0.0005f);
  EXPECT_NEAR(p, 16.249f, 0.0005f);
}

TEST(LineRatings, PowerPeaksBetweenThinAndFatInnerConductors) {
  float p = 0;
  p = peak_power_kw(0.5f, 0.1f, 1.0f);
  EXPECT_NEAR(p, 4.588f, 0.0005f);
  p = peak_power_kw(0.5f, 0.45f, 1.0f);
  EXPECT_NEAR(p, 6.082f, 0.0005f);
  p = peak_power_kw(20.0f, 10.0f, 1.0f);
  EXPECT_NEAR(p, 19758.8f, 0.05f);
  p = peak_power_kw(200.0f, 100.0f, 1.0f);
  EXPECT_EQ(p, 99999.99f);
}

TEST(LineRatings, CutoffCap) {
  float t = 0;
  t = te11_cutoff_ghz(0.001f, 0.0005f, 1.0f);
  EXPECT_NEAR(t, 5009.3f, 0.05f);
  t = te11_cutoff_ghz(0.0005f, 0.0002f, 1.0f);
  EXPECT_EQ(t, 9999.99f);
}

}  // namespace
}  // namespace mx
