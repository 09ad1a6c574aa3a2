// The tolerance allocation: on the worked example it reaches the target
// yield, in trials it has not seen too, with tolerances that differ by
// dimension and cost less than the loosest uniform ones; what cannot be
// allocated is refused with its reason; and the tolerances file reads what
// the allocation writes and refuses what no study can use.
#include "tolerance/allocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "study_examples.h"
#include "tolerance/allocation_report.h"
#include "tolerance/study.h"
#include "tolerance/tolerance_file.h"

namespace mx {
namespace {

// The mask of the README's worked example: at most 0.2 dB up to 1000 MHz, 25 dB at 1500 MHz.
StudySettings worked_mask(int trials) {
  StudySettings s;
  s.trials = trials;
  s.mask = LossMask{1000.0f, 0.2f, 1500.0f, 25.0f};
  s.threads = 2;
  return s;
}

StudySettings with_tolerances(StudySettings s, const Allocation& a) {
  for (const AllocatedTolerance& t : a.tolerances)
    s.own_tolerances.push_back({t.dimension, t.tolerance, t.percent});
  return s;
}

TEST(ToleranceAllocation, WorkedExampleReachesTheTargetCheaperThanUniformTolerances) {
  const Design d = worked_example();
  const AllocationSettings a;
  const Allocation r = allocate_tolerances(d.ds, d.ends, worked_mask(1000), a);
  ASSERT_EQ(r.error, "");
  EXPECT_GE(r.confirmed.percent, 95.0);
  EXPECT_GE(r.search_yield_pct, 95.0);
  ASSERT_EQ(r.tolerances.size(), 11u);  // L1..L7, D and B of the two line kinds
  std::set<double> distinct;
  for (const AllocatedTolerance& t : r.tolerances) {
    SCOPED_TRACE(t.dimension);
    EXPECT_GE(t.tolerance, t.dimension[0] == 'L' ? a.finest_length_in : a.finest_diameter_in);
    EXPECT_LE(t.tolerance, a.coarsest_in);
    distinct.insert(t.tolerance);
  }
  EXPECT_GE(distinct.size(), 5u);
  // The filter is symmetric: so are its tolerances, within the search's 1 %.
  for (int j = 0; j < 3; ++j)
    EXPECT_NEAR(r.tolerances[static_cast<std::size_t>(j)].tolerance,
                r.tolerances[static_cast<std::size_t>(6 - j)].tolerance,
                0.01 * r.tolerances[static_cast<std::size_t>(j)].tolerance);
  // The low-impedance diameter matters most and gets the finest tolerance of the diameters.
  EXPECT_LT(r.tolerances[9].tolerance, r.tolerances[7].tolerance);
  EXPECT_LT(r.cost, r.uniform.cost);
  EXPECT_GE(r.uniform.yield_pct, 95.0);
  EXPECT_NEAR(r.cost,
              tolerance_cost(
                  study_dimensions(d.ds),
                  [&] {
                    std::vector<double> t;
                    for (const AllocatedTolerance& x : r.tolerances) t.push_back(x.tolerance);
                    return t;
                  }(),
                  a),
              1e-9);
  // Read back into studies of other random states, the yield holds.
  for (std::uint64_t state : {7u, 1234u}) {
    StudySettings s = with_tolerances(worked_mask(1000), r);
    s.random_state = state;
    EXPECT_GE(run_tolerance_study(d.ds, d.ends, s).yield.percent, 93.0) << state;
  }
}

TEST(ToleranceAllocation, DearerDiametersGetLooserOnesAndTheFileReadsBack) {
  const Design d = worked_example();
  AllocationSettings even, dear;
  dear.diameter_weight = 8.0;
  const Allocation a = allocate_tolerances(d.ds, d.ends, worked_mask(400), even);
  const Allocation b = allocate_tolerances(d.ds, d.ends, worked_mask(400), dear);
  ASSERT_EQ(a.error + b.error, "");
  // D low against L3: a diameter eight times dearer is held about twice as loose (cube root).
  const double ratio_a = a.tolerances[9].tolerance / a.tolerances[2].tolerance;
  const double ratio_b = b.tolerances[9].tolerance / b.tolerances[2].tolerance;
  EXPECT_GT(ratio_b, 1.5 * ratio_a);
  std::ostringstream json;
  write_allocation_json(json, b, dear);
  const ToleranceFile f = parse_tolerance_file(json.str());
  ASSERT_EQ(f.error, "");
  ASSERT_EQ(f.tolerances.size(), b.tolerances.size());
  for (std::size_t i = 0; i < f.tolerances.size(); ++i) {
    EXPECT_EQ(f.tolerances[i].dimension, b.tolerances[i].dimension);
    EXPECT_NEAR(f.tolerances[i].value, b.tolerances[i].tolerance, 1e-7);
  }
  for (const char* key : {"\"target_yield_pct\": 95.0000", "\"confirmed_yield_pct\": ",
                          "\"confirm_trials\": 400", "\"tolerances\": ["})
    EXPECT_NE(json.str().find(key), std::string::npos) << key;
}

TEST(ToleranceAllocation, WhatCannotBeAllocatedIsRefusedWithItsReason) {
  struct Case {
    const char* what;
    Design d;
    std::optional<LossMask> mask;
    AllocationSettings a;
    const char* reason;
  };
  AllocationSettings coarse_floor;
  coarse_floor.target_pct = 99.9;
  coarse_floor.finest_length_in = 0.003;
  coarse_floor.finest_diameter_in = 0.003;
  const Case cases[] = {
      {"entered, no mask", entered_example(), std::nullopt, {}, "no mask"},
      {"the design's own 0.1 dB",
       worked_example(),
       std::nullopt,
       {},
       "the nominal filter does not meet the mask: worst passband loss 0.16"},
      {"floors too coarse", worked_example(), LossMask{1000.0f, 0.2f, {}, 0.0f}, coarse_floor,
       "the target yield 99.90 % cannot be reached: the finest tolerances give"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StudySettings s = worked_mask(200);
    s.mask = c.mask;
    const Allocation r = allocate_tolerances(c.d.ds, c.d.ends, s, c.a);
    EXPECT_EQ(r.error.rfind(c.reason, 0), 0u) << r.error;
    EXPECT_TRUE(r.tolerances.empty() || r.tolerances.front().tolerance == 0.0);
  }
}

TEST(ToleranceStudy, OwnTolerancesReplaceTheUniformOnesOfTheDimensionsTheyName) {
  const Design d = worked_example();
  StudySettings s = worked_mask(200);
  s.length_tol_in = 0.0f;
  s.diameter_tol_in = 0.0f;
  EXPECT_EQ(run_tolerance_study(d.ds, d.ends, s).yield.percent, 100.0);
  s.own_tolerances = {{"D low", 0.003, false}, {"L9", 0.001, false}, {"C1", 5.0, true}};
  const StudyResult r = run_tolerance_study(d.ds, d.ends, s);
  EXPECT_LT(r.yield.percent, 90.0);  // D low alone, three mil
  EXPECT_EQ(r.unmatched_tolerances, (std::vector<std::string>{"L9", "C1"}));
}

TEST(ToleranceStudy, MaskMissSaysWhichLimitAndByHowMuch) {
  struct Case {
    LossMask m;
    bool own;
    double worst, stop;
    bool losses;
    const char* why;
  };
  const Case cases[] = {
      {{1000.0f, 0.1f, {}, 0.0f},
       true,
       0.1463,
       NAN,
       true,
       "worst passband loss 0.1463 dB, conductor losses included, against Am 0.1000 dB"},
      {{1000.0f, 0.2f, 1500.0f, 25.0f},
       false,
       0.15,
       22.5,
       false,
       "loss 22.5000 dB at 1500.000 MHz, against at least 25.0000 dB"},
      {{1000.0f, 0.1f, 1500.0f, 25.0f},
       true,
       0.3,
       20.0,
       false,
       "worst passband loss 0.3000 dB, lossless, against Am 0.1000 dB; loss 20.0000 dB at "
       "1500.000 MHz, against at least A1 25.0000 dB"},
      {{1000.0f, 0.2f, 1500.0f, 25.0f}, false, 0.15, 30.0, true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mask_miss(c.m, c.own, c.worst, c.stop, c.losses), c.why);
}

TEST(ToleranceFile, ReadsItsEntriesAndRefusesWhatNoStudyCanUse) {
  const ToleranceFile good = parse_tolerance_file(
      R"({"note": "kept", "tolerances": [{"dimension": "L1", "tolerance_in": 0.0004},
          {"dimension": "D low", "tolerance_in": 0}, {"dimension": "C2", "tolerance_pct": 2},
          {"dimension": "L2", "tolerance_pct": 1.5}]})");
  ASSERT_EQ(good.error, "");
  ASSERT_EQ(good.tolerances.size(), 4u);
  EXPECT_EQ(good.tolerances[1].dimension, "D low");
  EXPECT_TRUE(good.tolerances[2].percent);
  EXPECT_TRUE(good.tolerances[3].percent);  // L2 of a lumped ladder: an inductor
  struct Bad {
    const char* text;
    const char* error;
  };
  const Bad bad[] = {
      {"", "not JSON"},
      {"{\"tolerances\": [", "not JSON"},
      {"[1, 2]", "no \"tolerances\" list"},
      {"{\"tolerances\": {}}", "no \"tolerances\" list"},
      {"{\"tolerances\": [7]}", "entry 1 is not an object"},
      {"{\"tolerances\": [{\"tolerance_in\": 0.001}]}", "entry 1 has no \"dimension\""},
      {"{\"tolerances\": [{\"dimension\": \"L1\"}]}", "\"L1\" needs one of"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": 1, \"tolerance_pct\": 1}]}",
       "\"L1\" needs one of"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": \"0.001\"}]}",
       "the tolerance of \"L1\" is not a number"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": true}]}",
       "the tolerance of \"L1\" is not a number"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": -0.001}]}",
       "the tolerance of \"L1\" is negative"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": 2}]}",
       "the tolerance of \"L1\" is too large"},
      {"{\"tolerances\": [{\"dimension\": \"C1\", \"tolerance_pct\": 100}]}",
       "the tolerance of \"C1\" is too large"},
      {"{\"tolerances\": [{\"dimension\": \"X1\", \"tolerance_in\": 0.001}]}",
       "no filter has a dimension \"X1\""},
      {"{\"tolerances\": [{\"dimension\": \"L0\", \"tolerance_in\": 0.001}]}",
       "no filter has a dimension \"L0\""},
      {"{\"tolerances\": [{\"dimension\": \"D low\", \"tolerance_pct\": 1}]}",
       "no filter has a dimension \"D low\" in percent"},
      {"{\"tolerances\": [{\"dimension\": \"C1\", \"tolerance_in\": 0.001}]}",
       "no filter has a dimension \"C1\" in inch"},
      {"{\"tolerances\": [{\"dimension\": \"L1\", \"tolerance_in\": 0.001}, "
       "{\"dimension\": \"L1\", \"tolerance_in\": 0.002}]}",
       "\"L1\" is given twice"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.text);
    const ToleranceFile f = parse_tolerance_file(b.text);
    EXPECT_EQ(f.error.rfind(b.error, 0), 0u) << f.error;
    EXPECT_EQ(f.error.find('\n'), std::string::npos);
    EXPECT_TRUE(f.tolerances.empty());
  }
}

}  // namespace
}  // namespace mx
