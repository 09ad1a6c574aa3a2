#include "synthesis/passband.h"

#include <gtest/gtest.h>

namespace mx {
namespace {

TEST(Passband, RippleVswrAtWorkedValues) {
  struct Case {
    float ripple_db;
    float vswr;  // as the dialog prints it (F6.3)
  };
  const Case cases[] = {
      {0.0f, 1.0f},   {0.1f, 1.355f}, {0.5f, 1.984f},
      {1.0f, 2.660f}, {3.0f, 5.809f}, {kMaxRippleDb, 13.852f},  // the "13.8:1" of the limit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ripple_db);
    EXPECT_NEAR(ripple_vswr(c.ripple_db), c.vswr, 0.0005f);
  }
  EXPECT_GT(ripple_vswr(kMaxRippleDb + 0.01f), 13.8f);
}

}  // namespace
}  // namespace mx
