#include "synthesis/standard_values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mx {
namespace {

// Expected values from the IEC 60063 tables; the borders between two values
// lie at their geometric mean.
TEST(StandardValues, NearestOnALogarithmicScale) {
  const struct {
    const char* series;
    float v, want;
  } cases[] = {
      {"E6", 1.0f, 1.0f},
      {"E6", 1.8f, 1.5f},
      {"E6", 1.9f, 2.2f},
      {"E6", 8.5f, 10.0f},
      {"E6", 0.0031f, 0.0033f},
      {"E12", 34.506f, 33.0f},
      {"E12", 102.91f, 100.0f},
      {"E12", 3.7633f, 3.9f},
      {"E12", 9.5f, 10.0f},
      {"E24", 4.45f, 4.3f},
      {"E24", 4.55f, 4.7f},
      {"E24", 91000.0f, 91000.0f},
      {"E48", 1.0f, 1.0f},
      {"E48", 3.38f, 3.32f},
      {"E48", 9.8f, 10.0f},
      {"E96", 55.8636f, 56.2f},
      {"E96", 1.005f, 1.0f},
      {"E96", 0.97f, 0.976f},
      {"E96", 123456.0f, 124000.0f},
  };
  for (const auto& c : cases) {
    const auto s = preferred_series(c.series);
    ASSERT_TRUE(s) << c.series;
    EXPECT_NEAR(nearest_preferred(c.v, *s), c.want, 1e-6f * c.want) << c.series << " " << c.v;
  }
  // Not a value: left as it is.
  const auto e12 = *preferred_series("E12");
  EXPECT_EQ(nearest_preferred(0.0f, e12), 0.0f);
  EXPECT_TRUE(std::isnan(nearest_preferred(NAN, e12)));
  EXPECT_FALSE(preferred_series("E7"));
  EXPECT_FALSE(preferred_series(0));
  EXPECT_EQ(preferred_series("E24")->tolerance_pct, 5.0f);
  EXPECT_EQ(preferred_series(96)->name, "E96");
}

// Every value of the series is its own nearest value, in every decade.
TEST(StandardValues, SeriesValuesAreFixedPoints) {
  for (const char* name : {"E6", "E12", "E24", "E48", "E96"}) {
    const PreferredSeries s = *preferred_series(name);
    for (float decade : {0.01f, 1.0f, 1000.0f}) {
      float v = decade;
      for (int k = 0; k < s.per_decade; ++k) {
        const float snapped = nearest_preferred(v * 1.0001f, s);
        EXPECT_GT(snapped, v * 0.9999f) << name;
        v = nearest_preferred(snapped * std::pow(10.0f, 1.2f / static_cast<float>(s.per_decade)),
                              s);
      }
      EXPECT_NEAR(v, 10.0f * decade, 1e-4f * decade) << name << ": not every value reached once";
    }
  }
}

TEST(StandardValues, SnapMovesBothCircuitsAndListsTheChosenOne) {
  Ladder l;
  l.shunt_pf(1) = 34.506f;   // standard C1
  l.series_nh(1) = 86.265f;  // dual L1
  l.series_nh(2) = 102.91f;  // standard L2
  l.tank_pf(2) = 3.7633f;    // across it
  l.shunt_pf(2) = 41.165f;   // dual C2
  l.trap_nh(2) = 9.4081f;    // in series with it
  const auto e12 = *preferred_series("E12");
  const std::vector<SnappedValue> v = snap_ladder(l, 2, Configuration::kStandard, e12);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].part, "C1");
  EXPECT_EQ(v[1].part, "L2");
  EXPECT_EQ(v[2].part, "C2'");
  EXPECT_EQ(v[2].exact, 3.7633f);
  EXPECT_EQ(v[2].chosen, 3.9f);
  EXPECT_EQ(l.series_nh(1), 82.0f);
  EXPECT_EQ(l.shunt_pf(2), 39.0f);
  EXPECT_EQ(l.trap_nh(2), 10.0f);
  EXPECT_EQ(l.tank_pf(1), 0.0f);  // none stays none
}

}  // namespace
}  // namespace mx
