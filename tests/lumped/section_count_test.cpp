#include "lumped/section_count.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

constexpr int kCheb = 1, kButt = 2, kLowPass = 1;

struct Count {
  int n = -1;
  float a2 = -1.0f;
  int ierr = -1;
};

Count count(float am, float a1, float fc, float f1, int ires, int ides = kLowPass,
            float fh1 = 0.0f, float fl1 = 0.0f) {
  Count r;
  nsectn(am, a1, r.a2, fc, f1, fh1, fl1, ides, r.ierr, ires, r.n);
  return r;
}

TEST(SectionCount, WorkedExamples) {
  Count c = count(0.5f, 40.0f, 1000.0f, 1500.0f, kCheb);  // raw 6.598
  EXPECT_EQ(c.ierr, 0);
  EXPECT_EQ(c.n, 7);
  EXPECT_NEAR(c.a2, 43.36f, 0.005f);

  c = count(0.5f, 40.0f, 1000.0f, 1500.0f, kButt);  // raw 11.358
  EXPECT_EQ(c.n, 12);
  EXPECT_NEAR(c.a2, 42.26f, 0.005f);

  c = count(0.1f, 10.0f, 1000.0f, 3000.0f, kCheb);  // raw 2.08
  EXPECT_EQ(c.n, 3);
  EXPECT_NEAR(c.a2, 23.60f, 0.005f);
}

TEST(SectionCount, AtLeastTwoSectionsWithTheirAttenuation) {
  // 1 dB at three times the cutoff needs less than one section.
  Count c = count(0.5f, 1.0f, 1000.0f, 3000.0f, kCheb);
  EXPECT_EQ(c.n, 2);
  // 0.5 dB ripple, T2(3) = 17: 10 log10(1 + 0.12202 * 289).
  EXPECT_NEAR(c.a2, 15.59f, 0.005f);
  c = count(0.5f, 1.0f, 1000.0f, 3000.0f, kButt);
  EXPECT_EQ(c.n, 2);
  EXPECT_NEAR(c.a2, 19.14f, 0.005f);  // 10 log10(1 + 3^4)
}

TEST(SectionCount, RejectionLeavesCountAndAttenuationAlone) {
  Count c = count(0.5f, 0.5f, 1000.0f, 1500.0f, kCheb);
  EXPECT_EQ(c.ierr, 1);
  EXPECT_EQ(c.n, -1);
  EXPECT_EQ(c.a2, -1.0f);
  // The ripple test applies to Butterworth designs as well.
  EXPECT_EQ(count(3.0f, 2.0f, 1000.0f, 1500.0f, kButt).ierr, 1);
  // A skirt frequency of zero maps to a non-positive normalised frequency.
  c = count(0.5f, 40.0f, 1000.0f, 0.0f, kCheb);
  EXPECT_EQ(c.ierr, 1);
  EXPECT_EQ(c.n, -1);
}

TEST(SectionCount, OvershootBelowAThousandthIsNotRoundedUp) {
  // Butterworth with f1 = 10 fc: raw = ln(10^(a1/10) - 1) / (2 ln 10), which is
  // a1 / 20 to float precision, so the raw count can be placed at will.
  EXPECT_EQ(count(0.5f, 80.01f, 1000.0f, 10000.0f, kButt).n, 4);  // raw 4.0005
  EXPECT_EQ(count(0.5f, 80.04f, 1000.0f, 10000.0f, kButt).n, 5);  // raw 4.002
  EXPECT_EQ(count(0.5f, 80.0f, 1000.0f, 10000.0f, kButt).n, 4);   // raw 4.0000
}

TEST(SectionCount, OtherBandTypesMapOntoTheLowPassPrototype) {
  const Count lp = count(0.1f, 10.0f, 1000.0f, 2500.0f, kCheb);  // freq 2.5
  const Count hp = count(0.1f, 10.0f, 2500.0f, 1000.0f, kCheb, 2);
  // Band-pass 500..2000 MHz, fo 1000, bw 1.5: f1 4000 gives (4 - 0.25) / 1.5.
  const Count bp = count(0.1f, 10.0f, 1000.0f, 4000.0f, kCheb, 3, 2000.0f, 500.0f);
  EXPECT_EQ(lp.n, 3);
  EXPECT_EQ(hp.n, lp.n);
  EXPECT_EQ(bp.n, lp.n);
  EXPECT_NEAR(hp.a2, lp.a2, 1e-4f);
  EXPECT_NEAR(bp.a2, lp.a2, 1e-4f);
  // Band-stop, same band, f1 1250: 1 / ((1.25 - 0.8) / 1.5) = 10/3.
  const Count lp3 = count(0.1f, 10.0f, 3000.0f, 10000.0f, kCheb);
  const Count bs = count(0.1f, 10.0f, 1000.0f, 1250.0f, kCheb, 4, 2000.0f, 500.0f);
  EXPECT_EQ(bs.n, lp3.n);
  EXPECT_NEAR(bs.a2, lp3.a2, 1e-4f);
}

}  // namespace
}  // namespace mx
