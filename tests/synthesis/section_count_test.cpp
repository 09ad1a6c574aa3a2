#include "synthesis/section_count.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

constexpr Response kCheb = Response::kChebyshev, kButt = Response::kButterworth;

// The result in the old shape: a failed count leaves n and a2 at -1.
struct Count {
  int n = -1;
  float a2 = -1.0f;
  int ierr = -1;
};

Count count(float am, float a1, float fc, float f1, Response response) {
  Count r;
  const SectionCount c = section_count(am, a1, fc, f1, response);
  r.ierr = c.ok ? 0 : 1;
  if (c.ok) {
    r.n = c.n;
    r.a2 = c.reached_db;
  }
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

TEST(SectionCount, LimitsOfTheDesignData) {
  // Sections: 2 to 30, whatever integer a file or an answer gives.
  for (const long long n : {-5LL, 0LL, 1LL, 31LL, 1LL << 40})
    EXPECT_FALSE(synthesizable_section_count(n)) << n;
  for (const long long n : {2LL, 7LL, 30LL}) EXPECT_TRUE(synthesizable_section_count(n)) << n;
  // The skirt attenuation must exceed the ripple of a rippled response, 4 dB otherwise.
  struct Case {
    Response response;
    float ripple_db, least_db;
  };
  const Case cases[] = {
      {kCheb, 0.5f, 0.5f}, {Response::kElliptic, 0.2f, 0.2f}, {kButt, 0.5f, 4.0f},
      {kButt, 6.0f, 4.0f}, {Response::kBessel, 0.5f, 4.0f},   {Response::kLegendre, 0.5f, 4.0f},
  };
  for (const Case& c : cases)
    EXPECT_EQ(least_skirt_attenuation_db(c.response, c.ripple_db), c.least_db)
        << static_cast<int>(c.response) << " " << c.ripple_db;
}

}  // namespace
}  // namespace mx
