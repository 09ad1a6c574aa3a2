#include "coax/distributed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "coax/geometry.h"
#include "lumped/prototype.h"

namespace {

using mx::DesignState;
using mx::DistributedResult;

// Outer diameter and the inner diameters of source, high, low and load line.
struct Lines {
  float b = 0.5f, source = 0.2172f, high = 0.1f, low = 0.45f, load = 0.2172f;
};

// The record as the synthesis entry leaves it: four air lines and the
// Chebyshev ladder for 50 ohms.
DesignState design(int icfg, int n, float fc1, const Lines& l = Lines()) {
  DesignState ds;
  ds.int1.icfg = icfg;
  ds.int1.n = n;
  ds.real1.am = 0.1f;
  ds.real1.fc1 = fc1;
  ds.real1.zo = 50.0f;
  const float inner[4] = {l.source, l.high, l.low, l.load};
  for (int k = 0; k < 4; ++k) {
    ds.real2.synb(k) = l.b;
    ds.real2.synd(k) = inner[k];
    ds.real2.syner(k) = 1.0f;
    mx::cxzo(l.b, inner[k], 1.0f, ds.real2.synzo(k));
  }
  mx::lppev(ds, ds.real1.am, fc1, 1, n, ds.real1.rod, ds.real1.ros, ds.real1.zo);
  return ds;
}

DistributedResult run(DesignState& ds) {
  DistributedResult r;
  mx::distributed_synthesis(ds, r);
  return r;
}

TEST(DistributedSynthesis, WorkedExample) {
  DesignState ds = design(1, 7, 1000.0f);
  DistributedResult r;
  std::vector<float> changes;
  mx::distributed_synthesis(ds, r, mx::kMaxLengthPasses, &changes);

  ASSERT_EQ(r.ierr, 0);
  EXPECT_EQ(r.passes, 4);
  EXPECT_EQ(ds.int1.ifrom, 1);
  EXPECT_NEAR(ds.real1.zhigh, 96.50f, 0.005f);
  EXPECT_NEAR(ds.real1.zlow, 6.317f, 0.0005f);
  ASSERT_EQ(changes.size(), 4u);
  EXPECT_NEAR(changes[1], 0.0360f, 0.00005f);
  EXPECT_NEAR(changes[2], 0.00027f, 0.000005f);
  const float want[8] = {0.0f, 0.175f, 1.533f, 0.325f, 1.754f, 0.325f, 1.533f, 0.175f};
  float total = 0.0f;
  for (int j = 1; j <= 7; ++j) {
    EXPECT_NEAR(ds.real2.xlen(j), want[j], 0.0005f) << j;
    total = total + ds.real2.xlen(j);
  }
  EXPECT_NEAR(total, 5.82f, 0.005f);
  EXPECT_EQ(r.exlen1 + r.exlen2, 0.0f);
  EXPECT_NEAR(r.mode1, 10.477f, 0.0005f);
  EXPECT_NEAR(r.pwr3, 6.082f, 0.0005f);

  // Step capacitances: the outer ends unscaled, the inner ones reduced on
  // every pass by the factor of the high-impedance section between them.
  const auto& cap = ds.real2.discap;
  EXPECT_EQ(cap(1, 1), r.disc1);
  EXPECT_EQ(cap(7, 2), r.disc4);
  for (int j = 2; j <= 6; j += 2) {
    EXPECT_EQ(cap(j, 1) + cap(j, 2), 0.0f);
    const float cumulative = r.disc3 * std::pow(r.xprox(j), 4.0f);
    EXPECT_NEAR(cap(j - 1, 2), cumulative, cumulative * 0.01f) << j;
    EXPECT_NEAR(cap(j + 1, 1), cumulative, cumulative * 0.01f) << j;
  }

  // The lumped equivalents give back the ladder.
  mx::CheckValues value;
  mx::CheckParts value2;
  value.fill(-7.0f);
  value2.fill(-7.0f);
  mx::check(ds, value, value2);
  EXPECT_NEAR(value(1), 3.760f, 0.0005f);
  EXPECT_NEAR(value(2), 11.322f, 0.0005f);
  EXPECT_NEAR(value(3), 6.674f, 0.0005f);
  EXPECT_NEAR(value(4), 12.521f, 0.0005f);
  for (int j = 1; j <= 7; ++j) {
    const bool capacitive = j % 2 == 1;
    const float ideal = capacitive ? ds.real2.shuntc(j) : ds.real2.serl(j);
    EXPECT_NEAR(value(j), ideal, ideal * 0.0005f) << j;
    const float parts = value2(j, 1) + value2(j, 2) + value2(j, 3);
    const float sum = capacitive ? parts + value2(j, 4) : parts;
    EXPECT_NEAR(sum, value(j), value(j) * 1e-5f) << j;
  }
  EXPECT_EQ(value2(2, 4), -7.0f);  // inductive: no step share
  EXPECT_EQ(value2(1, 1) + value2(7, 3), 0.0f);
  EXPECT_EQ(value(8), -7.0f);
  ds.int1.icfg = 3;  // no such configuration: nothing written
  value.fill(-7.0f);
  mx::check(ds, value, value2);
  EXPECT_EQ(value(1), -7.0f);
}

TEST(DistributedSynthesis, RealizabilityCodes) {
  DesignState dual = design(2, 7, 1000.0f);  // 16.69 nH need 104.83 ohms
  DistributedResult r = run(dual);
  EXPECT_EQ(r.ierr, 1);
  EXPECT_EQ(r.nsect, 3);
  EXPECT_NEAR(r.zmust, 104.83f, 0.005f);
  EXPECT_EQ(r.passes, 1);

  Lines l30;  // a 30 ohm low-impedance line cannot give 6.674 pF
  l30.low = 0.303f;
  DesignState low30 = design(1, 7, 1000.0f, l30);
  r = run(low30);
  EXPECT_EQ(r.ierr, 2);
  EXPECT_EQ(r.nsect, 3);
  EXPECT_GT(r.zmust, 0.0f);
  EXPECT_LT(r.zmust, low30.real1.zlow);

  DesignState high_fc = design(1, 7, 8000.0f);  // steps alone exceed shuntc(1)
  r = run(high_fc);
  EXPECT_EQ(r.ierr, 3);
  EXPECT_EQ(r.nsect, 1);

  // Wide lines at a low cutoff: the accumulating proximity reduction keeps
  // the lengths creeping past the limit.
  Lines wide{2.0f, 0.8688f, 0.2f, 1.5f, 0.8688f};
  DesignState creeping = design(1, 9, 250.0f, wide);
  std::vector<float> changes;
  mx::distributed_synthesis(creeping, r, mx::kMaxLengthPasses, &changes);
  EXPECT_EQ(r.ierr, 4);
  EXPECT_EQ(r.passes, mx::kMaxLengthPasses);
  EXPECT_GT(changes.back(), 0.00025f);

  // The limit is tested after each pass: the worked example needs four.
  DesignState w = design(1, 7, 1000.0f);
  mx::distributed_synthesis(w, r, 3, nullptr);
  EXPECT_EQ(r.ierr, 4);
  mx::distributed_synthesis(w, r, 4, nullptr);
  EXPECT_EQ(r.ierr, 0);

  DesignState past_mode = design(1, 7, 30000.0f);  // NaN step capacitances
  r = run(past_mode);
  EXPECT_LE(r.passes, mx::kMaxLengthPasses);
}

TEST(DistributedSynthesis, EndCorrections) {
  Lines thin;
  thin.high = 0.05f;
  // Dual, odd n: both ends, exlen1 with ros and exlen2 with rod.
  DesignState dual = design(2, 7, 1000.0f, thin);
  dual.real1.ros = 50.0f;
  dual.real1.rod = 75.0f;
  DistributedResult r = run(dual);
  ASSERT_EQ(r.ierr, 0);
  DesignState raw = dual;
  mx::remove_end_corrections(raw, r);
  float want1, want2;
  mx::addlen(dual, r.disc2, want1, raw.real2.xlen(1), 50.0f);
  mx::addlen(dual, r.disc5, want2, raw.real2.xlen(7), 75.0f);
  EXPECT_GT(want1, 0.0f);
  EXPECT_NEAR(r.exlen1, want1, want1 * 1e-5f);
  EXPECT_NEAR(r.exlen2, want2, want2 * 1e-5f);
  EXPECT_NEAR(dual.real2.xlen(1) - raw.real2.xlen(1), r.exlen1, 1e-6f);

  // Standard, even n: the last section only, with ros.
  DesignState std6 = design(1, 6, 1000.0f, thin);
  r = run(std6);
  raw = std6;
  mx::remove_end_corrections(raw, r);
  mx::addlen(std6, r.disc5, want1, raw.real2.xlen(6), std6.real1.ros);
  EXPECT_NEAR(r.exlen1, want1, want1 * 1e-5f);
  EXPECT_EQ(r.exlen2, 0.0f);
  EXPECT_EQ(raw.real2.xlen(1), std6.real2.xlen(1));

  // Taking the corrections off and back on is exact and repeatable.
  for (int icfg : {1, 2}) {
    for (int n : {6, 7}) {
      DesignState ds = design(icfg, n, 1000.0f, thin);
      r = run(ds);
      const auto corrected = ds.real2.xlen;
      mx::remove_end_corrections(ds, r);
      const auto bare = ds.real2.xlen;
      mx::restore_end_corrections(ds, r);
      mx::remove_end_corrections(ds, r);
      for (int j = 1; j <= n; ++j) EXPECT_EQ(ds.real2.xlen(j), bare(j));
      mx::restore_end_corrections(ds, r);
      for (int j = 1; j <= n; ++j) EXPECT_EQ(ds.real2.xlen(j), corrected(j));
    }
  }

  // No step to the load line: no correction, and fk5 keeps the last factor.
  Lines same = thin;
  same.load = thin.high;
  DesignState flat = design(1, 6, 1000.0f, same);
  r = run(flat);
  EXPECT_EQ(r.disc5, 0.0f);
  EXPECT_EQ(r.exlen1, 0.0f);
  EXPECT_EQ(flat.real1.fk5, flat.real1.fk4);
}

TEST(DistributedSynthesis, ProximityAndEndLength) {
  float p = 0.0f;
  mx::cxprox(0.0f, 0.3f, 1.0f, 0.0f, p);  // zero length: only the ratio lift
  EXPECT_NEAR(p, (0.7f - 0.35f) / 0.65f, 1e-6f);
  mx::cxprox(0.3f, 0.2f, 0.5f, 0.01f, p);  // ratio outside 0..1
  EXPECT_EQ(p, 1.0f);

  DesignState ds;  // 50^2 (1e-13 x 1.18e10 / 100 + 0.5 / (2 x 100^2)) inch
  ds.real1.wc = 6.28318548e9f;
  ds.real1.vhigh = 1.18028545e10f;
  ds.real1.zhigh = 100.0f;
  mx::addlen(ds, 1.0e-13f, p, 0.5f, 50.0f);
  EXPECT_NEAR(p, 0.0920071f, 0.0000005f);

  // n = 2: the only factor borders the load line and is replaced by 1.
  DesignState two = design(1, 2, 1000.0f);
  DistributedResult r = run(two);
  ASSERT_EQ(r.ierr, 0);
  EXPECT_EQ(r.xprox(2), 1.0f);
  EXPECT_EQ(two.real2.discap(1, 2), r.disc3);
}

}  // namespace
