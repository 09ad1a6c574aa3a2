// The fitter's small dense algebra, at systems solved by hand.
#include "fit/dense.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Dense, SolvesAndInvertsOnlyFiniteRegularSystems) {
  // Column-major [[2, 1], [1, 3]]: x = (1, 2) gives b = (4, 7); the inverse is
  // [[3, -1], [-1, 2]] / 5. The row swap [[0, 1], [1, 0]] needs the pivoting.
  const auto x = mx::solve_square({2, 1, 1, 3}, {4, 7});
  ASSERT_TRUE(x);
  EXPECT_NEAR((*x)[0], 1.0, 1e-14);
  EXPECT_NEAR((*x)[1], 2.0, 1e-14);
  const auto swapped = mx::solve_square({0, 1, 1, 0}, {5, 6});
  ASSERT_TRUE(swapped);
  EXPECT_DOUBLE_EQ((*swapped)[0], 6.0);
  const auto d = mx::inverse_diagonal({2, 1, 1, 3}, 2);
  ASSERT_TRUE(d);
  EXPECT_NEAR((*d)[0], 0.6, 1e-14);
  EXPECT_NEAR((*d)[1], 0.4, 1e-14);

  const struct {
    std::vector<double> a, b;
  } refused[] = {
      {{1, 2, 2, 4}, {1, 1}},     // singular
      {{1, kNaN, 0, 1}, {1, 1}},  // not finite
      {{1, 0, 0}, {1, 1}},        // not square
      {{0, 0, 0, 0}, {0, 0}},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(mx::solve_square(c.a, c.b));
    EXPECT_FALSE(mx::inverse_diagonal(c.a, c.b.size()));
  }
}

}  // namespace
