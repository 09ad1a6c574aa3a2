#include "synthesis/ladder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace mx {
namespace {

// One synthesis into ds.ladder; rod and ros receive its two load resistances.
void synthesize(DesignRecord& ds, float& am, float fc, int response, int n, float& rod, float& ros,
                float zo) {
  synthesize_ladder(ds.ladder, am, fc, static_cast<Response>(response), n, zo);
  rod = ds.ladder.load_dual;
  ros = ds.ladder.load_standard;
}

// g(1..n+1) after one call, compared to 4 decimals.
void expect_g(float am, int ires, int n, const std::vector<float>& want) {
  DesignRecord ds;
  float rod = 0, ros = 0;
  synthesize(ds, am, 1000.0f, ires, n, rod, ros, 50.0f);
  for (int k = 1; k <= n + 1; ++k) {
    EXPECT_NEAR(ds.ladder.g(k), want[static_cast<std::size_t>(k - 1)], 0.00005f)
        << "n " << n << " k " << k;
  }
}

TEST(Ladder, ChebyshevAndButterworthValues) {
  expect_g(0.5f, 1, 3, {1.5963f, 1.0967f, 1.5963f, 1.0000f});
  expect_g(0.5f, 1, 2, {1.4029f, 0.7071f, 1.9841f});
  expect_g(0.1f, 1, 5, {1.1468f, 1.3712f, 1.9750f, 1.3712f, 1.1468f, 1.0000f});
  expect_g(0.5f, 3, 3,
           {1.5963f, 1.0967f, 1.5963f, 1.0000f});  // any response but Butterworth is Chebyshev
  expect_g(0.5f, 2, 3, {1.0f, 2.0f, 1.0f, 1.0f});
}

TEST(Ladder, ElementValuesOfBothLaddersOddN) {
  DesignRecord ds;
  float am = 0.5f, rod = 0, ros = 0;
  synthesize(ds, am, 1000.0f, 1, 3, rod, ros, 50.0f);
  const auto& c = ds.ladder.shunt_pf;
  const auto& l = ds.ladder.series_nh;
  // Standard: C L C.
  EXPECT_NEAR(c(1), 5.0813f, 0.00005f);
  EXPECT_NEAR(l(2), 8.7271f, 0.00005f);
  EXPECT_NEAR(c(3), 5.0813f, 0.00005f);
  // Dual: L C L.
  EXPECT_NEAR(l(1), 12.70f, 0.005f);
  EXPECT_NEAR(c(2), 3.49f, 0.005f);
  EXPECT_NEAR(l(3), 12.70f, 0.005f);
  EXPECT_NEAR(ros, 50.0f, 0.001f);
  EXPECT_NEAR(rod, 50.0f, 0.001f);
  EXPECT_EQ(am, 0.5f);
}

TEST(Ladder, EvenNLoadsAreMismatchedInOppositeDirections) {
  DesignRecord ds;
  float am = 0.5f, rod = 0, ros = 0;
  synthesize(ds, am, 1000.0f, 1, 2, rod, ros, 50.0f);
  EXPECT_NEAR(ros, 25.20f, 0.005f);
  EXPECT_NEAR(rod, 99.21f, 0.005f);

  float bam = 0.5f;
  synthesize(ds, bam, 1000.0f, 2, 4, rod, ros, 50.0f);
  EXPECT_EQ(ros, 50.0f);
  EXPECT_EQ(rod, 50.0f);
}

TEST(Ladder, ZeroRippleIsFlooredAndWrittenBack) {
  DesignRecord ds;
  float am = 0.0f, rod = 0, ros = 0;
  synthesize(ds, am, 1000.0f, 1, 4, rod, ros, 50.0f);
  EXPECT_EQ(am, 1e-10f);
  EXPECT_TRUE(std::isfinite(ds.ladder.g(5)));
  EXPECT_NEAR(ros, 50.0f, 0.01f);

  float bam = 0.0f;  // Butterworth uses no ripple and leaves it alone
  synthesize(ds, bam, 1000.0f, 2, 4, rod, ros, 50.0f);
  EXPECT_EQ(bam, 0.0f);
}

}  // namespace
}  // namespace mx
