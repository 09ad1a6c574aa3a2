#include "synthesis/stepped_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "designs.h"

namespace {

using mx::DesignRecord;
using mx::Realizability;
using mx::SteppedLineResult;

using Lines = test_support::AirLines;

// The record as the synthesis entry leaves it: four air lines and the
// Chebyshev ladder for 50 ohms.
DesignRecord design(int icfg, int n, float fc1, const Lines& l = Lines()) {
  DesignRecord ds = test_support::chebyshev_ladder(static_cast<mx::Configuration>(icfg), n, fc1);
  test_support::set_air_lines(ds, l);
  return ds;
}

SteppedLineResult run(DesignRecord& ds) {
  SteppedLineResult r;
  mx::synthesize_stepped_line(ds, r);
  return r;
}

TEST(SteppedLine, WorkedExample) {
  DesignRecord ds = design(1, 7, 1000.0f);
  SteppedLineResult r;
  std::vector<float> changes;
  mx::synthesize_stepped_line(ds, r, mx::kMaxLengthPasses, &changes);

  ASSERT_EQ(r.code, Realizability::kDone);
  EXPECT_EQ(r.passes, 4);
  EXPECT_EQ(ds.control.origin, mx::Origin::kDistributedSynthesis);
  EXPECT_NEAR(ds.coax.z_high, 96.50f, 0.005f);
  EXPECT_NEAR(ds.coax.z_low, 6.317f, 0.0005f);
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_NEAR(changes[1], 0.0360f, 0.00005f);
  EXPECT_NEAR(changes[2], 0.00027f, 0.000005f);
  const float want[8] = {0.0f, 0.175f, 1.533f, 0.325f, 1.754f, 0.325f, 1.533f, 0.175f};
  float total = 0.0f;
  for (int j = 1; j <= 7; ++j) {
    EXPECT_NEAR(ds.coax.length(j), want[j], 0.0005f) << j;
    total = total + ds.coax.length(j);
  }
  EXPECT_NEAR(total, 5.82f, 0.005f);
  EXPECT_EQ(r.end_correction1 + r.end_correction2, 0.0f);
  EXPECT_NEAR(r.te11_ghz[mx::kSourceLine], 10.477f, 0.0005f);
  EXPECT_NEAR(r.peak_kw[mx::kLowLine], 6.082f, 0.0005f);

  // Step capacitances: the outer ends unscaled, the inner ones reduced on
  // every pass by the factor of the high-impedance section between them.
  const auto& cap = ds.coax.step_f;
  EXPECT_EQ(cap(1, 1), r.cap_source_low);
  EXPECT_EQ(cap(7, 2), r.cap_load_low);
  for (int j = 2; j <= 6; j += 2) {
    EXPECT_EQ(cap(j, 1) + cap(j, 2), 0.0f);
    const float cumulative = r.cap_high_low * std::pow(r.proximity(j), 4.0f);
    EXPECT_NEAR(cap(j - 1, 2), cumulative, cumulative * 0.01f) << j;
    EXPECT_NEAR(cap(j + 1, 1), cumulative, cumulative * 0.01f) << j;
  }

  // The lumped equivalents give back the ladder.
  mx::LumpedEquivalents eq;
  auto& value = eq.value;
  auto& value2 = eq.parts;
  value.fill(-7.0f);
  value2.fill(-7.0f);
  mx::lumped_equivalents_of_lengths(ds, eq);
  EXPECT_NEAR(value(1), 3.760f, 0.0005f);
  EXPECT_NEAR(value(2), 11.322f, 0.0005f);
  EXPECT_NEAR(value(3), 6.674f, 0.0005f);
  EXPECT_NEAR(value(4), 12.521f, 0.0005f);
  for (int j = 1; j <= 7; ++j) {
    const bool capacitive = j % 2 == 1;
    const float ideal = capacitive ? ds.ladder.shunt_pf(j) : ds.ladder.series_nh(j);
    EXPECT_NEAR(value(j), ideal, ideal * 0.0005f) << j;
    const float parts = value2(j, 1) + value2(j, 2) + value2(j, 3);
    const float sum = capacitive ? parts + value2(j, 4) : parts;
    EXPECT_NEAR(sum, value(j), value(j) * 1e-5f) << j;
  }
  EXPECT_EQ(value2(2, 4), -7.0f);  // inductive: no step share
  EXPECT_EQ(value2(1, 1) + value2(7, 3), 0.0f);
  EXPECT_EQ(value(8), -7.0f);
  ds.control.configuration = static_cast<mx::Configuration>(3);  // nothing written
  value.fill(-7.0f);
  mx::lumped_equivalents_of_lengths(ds, eq);
  EXPECT_EQ(value(1), -7.0f);
}

TEST(SteppedLine, RealizabilityCodes) {
  DesignRecord dual = design(2, 7, 1000.0f);  // 16.69 nH need 104.83 ohms
  SteppedLineResult r = run(dual);
  EXPECT_EQ(r.code, Realizability::kHighTooLow);
  EXPECT_EQ(r.section, 3);
  EXPECT_NEAR(r.z_must, 104.83f, 0.005f);
  EXPECT_EQ(r.passes, 1);

  Lines l30;  // a 30 ohm low-impedance line cannot give 6.674 pF
  l30.low = 0.303f;
  DesignRecord low30 = design(1, 7, 1000.0f, l30);
  r = run(low30);
  EXPECT_EQ(r.code, Realizability::kLowTooHigh);
  EXPECT_EQ(r.section, 3);
  EXPECT_GT(r.z_must, 0.0f);
  EXPECT_LT(r.z_must, low30.coax.z_low);

  DesignRecord high_fc = design(1, 7, 8000.0f);  // steps alone exceed shuntc(1)
  r = run(high_fc);
  EXPECT_EQ(r.code, Realizability::kStepsTooLarge);
  EXPECT_EQ(r.section, 1);

  // Wide lines at a low cutoff: the accumulating proximity reduction keeps
  // the lengths creeping past the limit.
  Lines wide{2.0f, 0.8688f, 0.2f, 1.5f, 0.8688f};
  DesignRecord creeping = design(1, 9, 250.0f, wide);
  std::vector<float> changes;
  mx::synthesize_stepped_line(creeping, r, mx::kMaxLengthPasses, &changes);
  EXPECT_EQ(r.code, Realizability::kUnsettled);
  EXPECT_EQ(r.passes, mx::kMaxLengthPasses);
  EXPECT_GT(changes.back(), 0.00025f);

  // The limit is tested after each pass: the worked example needs four.
  DesignRecord w = design(1, 7, 1000.0f);
  mx::synthesize_stepped_line(w, r, 3, nullptr);
  EXPECT_EQ(r.code, Realizability::kUnsettled);
  mx::synthesize_stepped_line(w, r, 4, nullptr);
  EXPECT_EQ(r.code, Realizability::kDone);

  DesignRecord past_mode = design(1, 7, 30000.0f);  // NaN step capacitances
  r = run(past_mode);
  EXPECT_LE(r.passes, mx::kMaxLengthPasses);
}

TEST(SteppedLine, EndCorrections) {
  Lines thin;
  thin.high = 0.05f;
  // Dual, odd n: both ends, exlen1 with ros and exlen2 with rod.
  DesignRecord dual = design(2, 7, 1000.0f, thin);
  dual.ladder.load_standard = 50.0f;
  dual.ladder.load_dual = 75.0f;
  SteppedLineResult r = run(dual);
  ASSERT_EQ(r.code, Realizability::kDone);
  DesignRecord raw = dual;
  mx::remove_end_corrections(raw, r);
  float want1, want2;
  want1 = mx::end_correction(dual, r.cap_high_source, raw.coax.length(1), 50.0f);
  want2 = mx::end_correction(dual, r.cap_high_load, raw.coax.length(7), 75.0f);
  EXPECT_GT(want1, 0.0f);
  EXPECT_NEAR(r.end_correction1, want1, want1 * 1e-5f);
  EXPECT_NEAR(r.end_correction2, want2, want2 * 1e-5f);
  EXPECT_NEAR(dual.coax.length(1) - raw.coax.length(1), r.end_correction1, 1e-6f);

  // Standard, even n: the last section only, with ros.
  DesignRecord std6 = design(1, 6, 1000.0f, thin);
  r = run(std6);
  raw = std6;
  mx::remove_end_corrections(raw, r);
  want1 = mx::end_correction(std6, r.cap_high_load, raw.coax.length(6), std6.ladder.load_standard);
  EXPECT_NEAR(r.end_correction1, want1, want1 * 1e-5f);
  EXPECT_EQ(r.end_correction2, 0.0f);
  EXPECT_EQ(raw.coax.length(1), std6.coax.length(1));

  // Taking the corrections off and back on is exact and repeatable.
  for (int icfg : {1, 2}) {
    for (int n : {6, 7}) {
      DesignRecord ds = design(icfg, n, 1000.0f, thin);
      r = run(ds);
      const auto corrected = ds.coax.length;
      mx::remove_end_corrections(ds, r);
      const auto bare = ds.coax.length;
      mx::restore_end_corrections(ds, r);
      mx::remove_end_corrections(ds, r);
      for (int j = 1; j <= n; ++j) EXPECT_EQ(ds.coax.length(j), bare(j));
      mx::restore_end_corrections(ds, r);
      for (int j = 1; j <= n; ++j) EXPECT_EQ(ds.coax.length(j), corrected(j));
    }
  }

  // No step to the load line: no correction, and fk5 keeps the last factor.
  Lines same = thin;
  same.load = thin.high;
  DesignRecord flat = design(1, 6, 1000.0f, same);
  r = run(flat);
  EXPECT_EQ(r.cap_high_load, 0.0f);
  EXPECT_EQ(r.end_correction1, 0.0f);
  EXPECT_EQ(flat.coax.factor5, flat.coax.factor4);
}

TEST(SteppedLine, ProximityAndEndLength) {
  float p = 0.0f;
  p = mx::proximity_factor(0.0f, 0.3f, 1.0f, 0.0f);  // zero length: only the ratio lift
  EXPECT_NEAR(p, (0.7f - 0.35f) / 0.65f, 1e-6f);
  p = mx::proximity_factor(0.3f, 0.2f, 0.5f, 0.01f);  // ratio outside 0..1
  EXPECT_EQ(p, 1.0f);

  DesignRecord ds;  // 50^2 (1e-13 x 1.18e10 / 100 + 0.5 / (2 x 100^2)) inch
  ds.coax.wc = 6.28318548e9f;
  ds.coax.v_high = 1.18028545e10f;
  ds.coax.z_high = 100.0f;
  p = mx::end_correction(ds, 1.0e-13f, 0.5f, 50.0f);
  EXPECT_NEAR(p, 0.0920071f, 0.0000005f);

  // n = 2: the only factor borders the load line and is replaced by 1.
  DesignRecord two = design(1, 2, 1000.0f);
  SteppedLineResult r = run(two);
  ASSERT_EQ(r.code, Realizability::kDone);
  EXPECT_EQ(r.proximity(2), 1.0f);
  EXPECT_EQ(two.coax.step_f(1, 2), r.cap_high_low);
}

}  // namespace
