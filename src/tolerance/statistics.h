// Summary figures of a tolerance study: a proportion with its confidence
// interval and the five-number spread of a sample.
#pragma once

#include <vector>

namespace mx {

// k successes of n, in percent, with the 95 % Wilson score interval.
struct Proportion {
  double percent = 0;
  double low_percent = 0;
  double high_percent = 0;
};
Proportion wilson_interval(int k, int n);

// Minimum, 5 %, median, 95 % and maximum (linear interpolation between order
// statistics); all NaN for an empty sample. NaN values are left out.
struct Spread5 {
  double min = 0, p5 = 0, median = 0, p95 = 0, max = 0;
};
Spread5 spread_of(std::vector<double> sample);

}  // namespace mx
