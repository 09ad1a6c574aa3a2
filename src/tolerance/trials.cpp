#include "tolerance/trials.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace mx::detail {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoPi = 6.283185307179586;

// The start value of trial t's random stream: the random state and the trial
// index mixed (splitmix64), so a trial draws the same errors on any thread.
std::uint64_t trial_stream(std::uint64_t state, std::uint64_t trial) {
  std::uint64_t z = state + (trial + 1) * 0x9e3779b97f4a7c15ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// A uniform number in [0, 1) from 53 bits of the stream.
double unit(std::mt19937_64& g) { return static_cast<double>(g() >> 11) * 0x1.0p-53; }

}  // namespace

std::vector<double> tolerances_of(const std::vector<Dimension>& dims, const StudySettings& s) {
  std::vector<double> tols;
  for (const Dimension& d : dims) {
    double tol = d.percent()
                     ? static_cast<double>(s.component_tol_pct)
                     : static_cast<double>(d.length() ? s.length_tol_in : s.diameter_tol_in);
    for (const DimensionTolerance& own : s.own_tolerances)
      if (own.dimension == d.name && own.percent == d.percent()) tol = own.value;
    tols.push_back(tol);
  }
  return tols;
}

void draw_moves(const std::vector<double>& tols, Spread spread, std::uint64_t random_state,
                std::uint64_t trial, std::vector<double>& moves) {
  std::mt19937_64 g(trial_stream(random_state, trial));
  for (std::size_t i = 0; i < tols.size(); ++i) {
    if (spread == Spread::kUniform) {
      moves[i] = (2.0 * unit(g) - 1.0) * tols[i];
    } else {
      // Box-Muller; the tolerance is three standard deviations.
      const double u1 = 1.0 - unit(g);
      const double u2 = unit(g);
      moves[i] = std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2) * tols[i] / 3.0;
    }
  }
}

Evaluation evaluation_of(const std::vector<float>& points, const std::optional<LossMask>& mask) {
  Evaluation e;
  e.f = points;
  e.points = points.size();
  e.mask = mask;
  if (mask) {
    e.pass_at = e.f.size();
    e.f.push_back(mask->pass_mhz);
    if (mask->stop_mhz) {
      e.stop_at = e.f.size();
      e.f.push_back(*mask->stop_mhz);
    }
  }
  return e;
}

TrialFigures judge(const Evaluation& e, const std::vector<float>& att) {
  TrialFigures t;
  t.worst_pass_db = kNaN;
  t.stop_db = kNaN;
  const std::vector<float> points(att.begin(), att.begin() + static_cast<long>(e.points));
  const std::vector<float> f(e.f.begin(), e.f.begin() + static_cast<long>(e.points));
  t.f3db = cutoff_3db(f, points);
  if (!e.mask) return t;
  float worst = att[e.pass_at];
  for (std::size_t k = 0; k < e.points; ++k)
    if (e.f[k] <= e.mask->pass_mhz) worst = std::max(worst, att[k]);
  t.worst_pass_db = static_cast<double>(worst);
  t.passed = worst <= e.mask->pass_db;
  if (e.mask->stop_mhz) {
    t.stop_db = static_cast<double>(att[e.stop_at]);
    t.passed = t.passed && att[e.stop_at] >= e.mask->stop_db;
  }
  return t;
}

}  // namespace mx::detail
