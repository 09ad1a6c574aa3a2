// The tolerance study: its nominal trial is the analysed filter, its yield
// falls as the tolerances grow, its sensitivities agree with the filter
// analysed again with one dimension changed by hand, and its figures do not
// depend on the thread count.
#include "tolerance/study.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "analysis/sweep.h"
#include "designs.h"
#include "line/impedance.h"
#include "study_examples.h"
#include "synthesis/stepped_line.h"
#include "tolerance/statistics.h"

namespace mx {
namespace {

StudySettings settings(int trials, float length_tol, float diameter_tol, float component_tol) {
  StudySettings s;
  s.trials = trials;
  s.length_tol_in = length_tol;
  s.diameter_tol_in = diameter_tol;
  s.component_tol_pct = component_tol;
  s.mask = LossMask{1000.0f, 0.5f, 1500.0f, 20.0f};
  return s;
}

// The first frequency of the analysed rows at which the loss reaches -3 dB,
// by linear interpolation.
double minus_3db(const SweepRows& rows) {
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const double a = rows[k - 1].figures.loss_db, b = rows[k].figures.loss_db;
    if (a > -3.0 && b <= -3.0) {
      const double f0 = rows[k - 1].f_mhz, f1 = rows[k].f_mhz;
      return f0 + (f1 - f0) * (a + 3.0) / (a - b);
    }
  }
  return NAN;
}

TEST(ToleranceStudy, NominalTrialIsThePrintedRowsBitForBit) {
  for (Design d : {worked_example(), entered_example(), lumped_example()}) {
    SCOPED_TRACE(static_cast<int>(d.ds.control.origin));
    DesignRecord copy = d.ds;
    const SweepRows rows = run_sweep(copy, d.ends);
    const StudyResult r = run_tolerance_study(d.ds, d.ends, settings(2, 0.001f, 0.0005f, 5.0f));
    ASSERT_EQ(r.nominal_db.size(), rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(r.f_mhz[k]),
                std::bit_cast<std::uint32_t>(rows[k].f_mhz));
      ASSERT_EQ(std::bit_cast<std::uint32_t>(r.nominal_db[k]),
                std::bit_cast<std::uint32_t>(rows[k].figures.loss_db))
          << "row " << k;
    }
    // The envelope holds the nominal curve's neighbourhood, never inverted.
    for (std::size_t k = 0; k < rows.size(); ++k) ASSERT_LE(r.lowest_db[k], r.highest_db[k]);
  }
}

TEST(ToleranceStudy, YieldFallsAsTheTolerancesGrow) {
  struct Case {
    Design d;
    float length, diameter, component;  // tolerance of the smallest case; the others are multiples
  };
  for (const Case& c :
       {Case{worked_example(), 0.001f, 0.0005f, 0.0f},
        Case{entered_example(), 0.001f, 0.0005f, 0.0f}, Case{lumped_example(), 0.0f, 0.0f, 2.0f}}) {
    SCOPED_TRACE(static_cast<int>(c.d.ds.control.origin));
    double last = 101.0;
    std::vector<double> yields;
    for (float m : {0.0f, 1.0f, 4.0f, 16.0f, 32.0f}) {
      const StudyResult r = run_tolerance_study(
          c.d.ds, c.d.ends, settings(400, c.length * m, c.diameter * m, c.component * m));
      yields.push_back(r.yield.percent);
      EXPECT_LE(r.yield.percent, last);
      EXPECT_LE(r.yield.low_percent, r.yield.percent);
      EXPECT_GE(r.yield.high_percent, r.yield.percent);
      last = r.yield.percent;
    }
    EXPECT_EQ(yields.front(), 100.0);  // no tolerance: every trial is the nominal filter
    EXPECT_LT(yields.back(), 50.0) << yields[1] << " " << yields[2];
  }
}

TEST(ToleranceStudy, SensitivityAgreesWithTheFilterAnalysedAgainWithOneLengthChanged) {
  Design d = worked_example();
  d.ds.sweep = Sweep{900.0f, 1200.0f, 1.0f, 300};  // fine steps round the cutoff
  const StudyResult r = run_tolerance_study(d.ds, d.ends, settings(1, 0.001f, 0.0005f, 5.0f));
  for (int section : {2, 3, 4}) {
    SCOPED_TRACE(section);
    // Five mil each way, by hand, through the plain analysis.
    double f[2];
    for (int side = 0; side < 2; ++side) {
      DesignRecord moved = d.ds;
      moved.coax.length(section) += side == 0 ? 0.005f : -0.005f;
      f[side] = minus_3db(run_sweep(moved, d.ends));
    }
    const double by_hand = (f[0] - f[1]) / 10.0;  // MHz per mil
    const double reported = r.sensitivity[static_cast<std::size_t>(section - 1)].per_unit;
    EXPECT_EQ(r.sensitivity[static_cast<std::size_t>(section - 1)].name,
              "L" + std::to_string(section));
    EXPECT_LT(reported, 0.0);  // a longer section lowers the cutoff
    EXPECT_NEAR(reported, by_hand, 0.05 * std::fabs(by_hand));
  }
}

TEST(ToleranceStudy, SameFiguresOnAnyThreadCountAndAnotherRandomStateOtherTrials) {
  const Design d = worked_example();
  StudySettings s = settings(64, 0.002f, 0.001f, 5.0f);
  s.spread = Spread::kNormal;
  s.threads = 1;
  const StudyResult one = run_tolerance_study(d.ds, d.ends, s);
  s.threads = 3;
  const StudyResult three = run_tolerance_study(d.ds, d.ends, s);
  EXPECT_EQ(one.passed, three.passed);
  EXPECT_EQ(one.cutoff_3db_mhz.median, three.cutoff_3db_mhz.median);
  EXPECT_EQ(one.worst_pass_loss_db.max, three.worst_pass_loss_db.max);
  EXPECT_EQ(one.lowest_db, three.lowest_db);
  EXPECT_EQ(one.highest_db, three.highest_db);
  s.random_state = 99;
  EXPECT_NE(run_tolerance_study(d.ds, d.ends, s).cutoff_3db_mhz.median, one.cutoff_3db_mhz.median);
}

TEST(ToleranceStudy, SynthesisFrequenciesAndTheDesignsOwnMask) {
  Design d = worked_example();
  d.ds.control.function = Function::kSynthesis;
  const std::vector<float> f = study_frequencies(d.ds);
  ASSERT_EQ(f.size(), 301u);
  EXPECT_EQ(f.front(), 0.0f);
  EXPECT_EQ(f.back(), 3000.0f);
  const std::optional<LossMask> m = design_mask(d.ds);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->pass_mhz, 1000.0f);
  EXPECT_EQ(m->pass_db, 0.1f);
  EXPECT_FALSE(m->stop_mhz);
  // The synthesis study is finite at every point, the direct-current one too.
  StudySettings s = settings(4, 0.001f, 0.0005f, 5.0f);
  s.mask.reset();
  const StudyResult r = run_tolerance_study(d.ds, d.ends, s);
  for (float v : r.nominal_db) EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(r.nominal_3db_mhz, 1083.0, 20.0);
  // An entered circuit has no mask of its own.
  EXPECT_FALSE(design_mask(entered_example().ds));
}

TEST(Statistics, WilsonIntervalAndFiveNumberSpread) {
  struct Case {
    int k, n;
    double low, high;
  };
  for (const Case& c : {Case{0, 1000, 0.0, 0.3827}, Case{50, 100, 40.383, 59.617},
                        Case{1000, 1000, 99.6173, 100.0}, Case{9, 10, 59.585, 98.212}}) {
    const Proportion p = wilson_interval(c.k, c.n);
    EXPECT_NEAR(p.low_percent, c.low, 0.001) << c.k << " of " << c.n;
    EXPECT_NEAR(p.high_percent, c.high, 0.001) << c.k << " of " << c.n;
  }
  const Spread5 s = spread_of({5, NAN, 1, 3, 2, 4});
  EXPECT_EQ(s.min, 1);
  EXPECT_DOUBLE_EQ(s.p5, 1.2);
  EXPECT_EQ(s.median, 3);
  EXPECT_DOUBLE_EQ(s.p95, 4.8);
  EXPECT_EQ(s.max, 5);
  EXPECT_TRUE(std::isnan(spread_of({}).median));
}

}  // namespace
}  // namespace mx
