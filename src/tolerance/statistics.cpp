#include "tolerance/statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mx {
namespace {

constexpr double kZ95 = 1.959963984540054;  // two-sided 95 % point of the normal distribution

double quantile(const std::vector<double>& sorted, double q) {
  const double at = q * static_cast<double>(sorted.size() - 1);
  const auto lo = static_cast<std::size_t>(std::floor(at));
  const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
  return sorted[lo] + (sorted[hi] - sorted[lo]) * (at - static_cast<double>(lo));
}

}  // namespace

Proportion wilson_interval(int k, int n) {
  if (n <= 0) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan, nan};
  }
  const double nn = n;
  const double p = k / nn;
  const double z2 = kZ95 * kZ95;
  const double centre = (p + z2 / (2.0 * nn)) / (1.0 + z2 / nn);
  const double half = kZ95 / (1.0 + z2 / nn) * std::sqrt(p * (1.0 - p) / nn + z2 / (4.0 * nn * nn));
  // The bounds of an interval that reaches 0 or 1 are exactly that.
  const double low = k == 0 ? 0.0 : std::max(0.0, centre - half);
  const double high = k == n ? 1.0 : std::min(1.0, centre + half);
  return {100.0 * p, 100.0 * low, 100.0 * high};
}

Spread5 spread_of(std::vector<double> sample) {
  sample.erase(std::remove_if(sample.begin(), sample.end(), [](double v) { return std::isnan(v); }),
               sample.end());
  if (sample.empty()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan, nan, nan, nan};
  }
  std::sort(sample.begin(), sample.end());
  return {sample.front(), quantile(sample, 0.05), quantile(sample, 0.5), quantile(sample, 0.95),
          sample.back()};
}

}  // namespace mx
