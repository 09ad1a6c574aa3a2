// The correction plan: only cuts (a disc faced, never a section lengthened),
// a response closer to the nominal after them, and a note for each error no
// cut restores.
#include "fit/corrections.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fit_designs.h"

namespace mx {
namespace {

using namespace fit_test;

// The plan for the entered example built with length errors (inch, 1..7).
CorrectionPlan plan_for(const std::vector<double>& errors) {
  const Design nominal = coax7_example();
  Design b = nominal;
  for (int k = 1; k <= 7; ++k)
    b.ds.entered.length(k) += static_cast<float>(errors[static_cast<std::size_t>(k)]);
  const FitSettings s;
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), s);
  return plan_corrections(nominal.ds, nominal.ends, r, s, CorrectionSettings{});
}

TEST(Corrections, AFilterAsDesignedNeedsNone) {
  const CorrectionPlan p = plan_for({0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(p.corrections.empty());
  EXPECT_TRUE(p.notes.empty());
  EXPECT_NEAR(p.built_cutoff_3db_mhz, p.nominal_cutoff_3db_mhz, 1e-3);
}

// Facing a disc lengthens the rod beside it, so the best plan is not the
// plain cut of the error; it shortens the disc, and the response comes
// close to the nominal.
TEST(Corrections, ADiscTooLongIsFaced) {
  const CorrectionPlan p = plan_for({0, 0, 0, 0, 0, 0.003, 0, 0});
  double on_5 = 0.0;
  for (const Correction& c : p.corrections) {
    EXPECT_NE(c.cut, CutKind::kTurnDiameter);
    if (c.section == 5) on_5 += c.amount_in;
  }
  EXPECT_GT(on_5, 0.002);
  EXPECT_LT(p.corrected_distance, 0.3 * p.built_distance);
  EXPECT_LT(std::fabs(p.corrected_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz),
            0.3 * std::fabs(p.built_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz));
  EXPECT_TRUE(p.notes.empty());
}

TEST(Corrections, ADiscTooShortIsCompensated) {
  const CorrectionPlan p = plan_for({0, 0, 0, -0.003, 0, 0, 0, 0});
  ASSERT_FALSE(p.corrections.empty());
  ASSERT_EQ(p.notes.size(), 1u);
  EXPECT_NE(p.notes[0].find("L3 is 0.0030 inch too short: a disc cannot be lengthened"),
            std::string::npos)
      << p.notes[0];
  EXPECT_NE(p.notes[0].find("compensated best by"), std::string::npos);
  EXPECT_LT(std::fabs(p.corrected_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz),
            std::fabs(p.built_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz));
}

// The README's worked example: +4, -3, +2, -4 mil in sections 2, 3, 5, 6.
TEST(Corrections, TheWorkedExample) {
  const CorrectionPlan p = plan_for({0, 0, 0.004, -0.003, 0, 0.002, -0.004, 0});
  double before = p.built_cutoff_3db_mhz;
  for (const Correction& c : p.corrections) {
    EXPECT_GE(c.amount_in, 0.0001);
    EXPECT_TRUE(std::isfinite(c.predicted_cutoff_3db_mhz));
    before = c.predicted_cutoff_3db_mhz;
  }
  EXPECT_EQ(before, p.corrected_cutoff_3db_mhz);
  EXPECT_LT(std::fabs(p.corrected_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz),
            std::fabs(p.built_cutoff_3db_mhz - p.nominal_cutoff_3db_mhz));
  // A rod too long has discs on both sides, whose faces only lengthen it.
  bool rod_note = false;
  for (const std::string& n : p.notes)
    if (n.find("L2 is 0.0040 inch too long: no cut shortens it") != std::string::npos)
      rod_note = true;
  EXPECT_TRUE(rod_note);
  EXPECT_LT(p.corrected_distance, p.built_distance);
}

}  // namespace
}  // namespace mx
