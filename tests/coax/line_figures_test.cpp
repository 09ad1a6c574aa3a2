#include "coax/line_figures.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

TEST(LineFigures, CutoffAndPowerOfA50OhmLine) {
  float t = 0, p = 0;
  cxmode(0.5f, 0.2172f, 1.0f, t);
  cxpwr(0.5f, 0.2172f, 1.0f, p);
  EXPECT_NEAR(t, 10.477f, 0.0005f);
  EXPECT_NEAR(p, 11.213f, 0.0005f);
  cxmode(0.5f, 0.2172f, 2.1f, t);
  cxpwr(0.5f, 0.2172f, 2.1f, p);
  EXPECT_NEAR(t, 7.230f, 0.0005f);
  EXPECT_NEAR(p, 16.249f, 0.0005f);
}

TEST(LineFigures, PowerPeaksBetweenThinAndFatInnerConductors) {
  float p = 0;
  cxpwr(0.5f, 0.1f, 1.0f, p);
  EXPECT_NEAR(p, 4.588f, 0.0005f);
  cxpwr(0.5f, 0.45f, 1.0f, p);
  EXPECT_NEAR(p, 6.082f, 0.0005f);
  cxpwr(20.0f, 10.0f, 1.0f, p);
  EXPECT_NEAR(p, 19758.8f, 0.05f);
  cxpwr(200.0f, 100.0f, 1.0f, p);
  EXPECT_EQ(p, 99999.99f);
}

TEST(LineFigures, CutoffCap) {
  float t = 0;
  cxmode(0.001f, 0.0005f, 1.0f, t);
  EXPECT_NEAR(t, 5009.3f, 0.05f);
  cxmode(0.0005f, 0.0002f, 1.0f, t);
  EXPECT_EQ(t, 9999.99f);
}

}  // namespace
}  // namespace mx
