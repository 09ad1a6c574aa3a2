#include "coax/geometry.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

TEST(CoaxGeometry, ImpedanceAndMissingDiameter) {
  float z = 0;
  cxzo(0.5f, 0.2172f, 1.0f, z);
  EXPECT_NEAR(z, 49.99f, 0.005f);  // 59.958 ln 2.302, just under 50 in single precision

  float b = 0.5f, d = 0.0f;
  int ierr = -1;
  cxsyn(b, d, 1.0f, 50.0f, 1, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(b, 0.5f);
  EXPECT_NEAR(d, 0.2172f, 0.00005f);

  d = 0.0f;
  cxsyn(b, d, 2.1f, 50.0f, 1, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_NEAR(d, 0.1493f, 0.00005f);

  b = 0.0f;
  d = 0.2172f;
  cxsyn(b, d, 1.0f, 50.0f, 2, ierr);
  EXPECT_EQ(ierr, 0);
  EXPECT_EQ(d, 0.2172f);
  EXPECT_NEAR(b, 0.5f, 0.0001f);
  cxzo(b, d, 1.0f, z);
  EXPECT_NEAR(z, 50.0f, 0.001f);
}

TEST(CoaxGeometry, RefusalsStoreNothing) {
  float b = 0.5f, d = 0.3f;
  int ierr = -1;
  cxsyn(b, d, 1.0f, 0.005f, 1, ierr);  // impedance below 0.01 ohm
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(b, 0.5f);
  EXPECT_EQ(d, 0.3f);

  cxsyn(b, d, 1.0f, 1000.0f, 1, ierr);  // above 999.99 ohm
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(d, 0.3f);

  cxsyn(b, d, 1.1f, 999.0f, 1, ierr);  // ln(b/d) = 17.47
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(b, 0.5f);
  EXPECT_EQ(d, 0.3f);
}

TEST(CoaxGeometry, ImplausibleDiameterIsStoredButFlagged) {
  float b = 0.5f, d = 0.3f;
  int ierr = -1;
  cxsyn(b, d, 1.0f, 999.0f, 1, ierr);  // ln(b/d) = 16.66
  EXPECT_EQ(ierr, 1);
  EXPECT_NEAR(d, 2.9e-8f, 0.05e-8f);

  b = 0.0f;
  d = 5.0f;
  cxsyn(b, d, 1.0f, 300.0f, 2, ierr);  // b = 5 e^5.0 = 742 inch
  EXPECT_EQ(ierr, 1);
  EXPECT_GT(b, 99.99f);

  // Any other selector only runs the checks on the diameters given.
  b = 0.2f;
  d = 0.3f;
  cxsyn(b, d, 1.0f, 50.0f, 0, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(b, 0.2f);
  EXPECT_EQ(d, 0.3f);
  b = 0.5f;
  cxsyn(b, d, 1.0f, 50.0f, 0, ierr);
  EXPECT_EQ(ierr, 0);
}

}  // namespace
}  // namespace mx
