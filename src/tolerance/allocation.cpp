#include "tolerance/allocation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/shared_work.h"
#include "tolerance/trials.h"

namespace mx {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// The search of a scale: its bracket widens by kBracket from the start, then
// kBisections halvings (in ratio) leave it within kBracket^(1/2^kBisections),
// 1 %. The uniform tolerances start from the scale of the ratio before.
constexpr double kBracket = 2.0;
constexpr int kBisections = 6;
constexpr double kUniformBracket = 1.25;
constexpr int kUniformBisections = 4;
// The scale shrinks by this factor until the confirming trials reach the target.
constexpr double kConfirmShrink = 0.97;
constexpr int kConfirmTries = 24;
// The uniform tolerances: diameters to lengths at ratios of sqrt 2 round the
// root-sum-square ratio of the two kinds.
constexpr int kUniformRatioSteps = 6;

double floor_of(const Dimension& d, const AllocationSettings& a) {
  if (d.percent()) return kFinestComponentTolPct;
  return d.length() ? a.finest_length_in : a.finest_diameter_in;
}

double ceiling_of(const Dimension& d, const AllocationSettings& a) {
  return d.percent() ? kCoarsestComponentTolPct : a.coarsest_in;
}

// The cost of +/- 1 unit (inch or percent) of a dimension: weight x reference.
double unit_cost(const Dimension& d, const AllocationSettings& a) {
  if (d.percent()) return kCostReferencePct;
  return (d.length() ? a.length_weight : a.diameter_weight) * kCostReferenceIn;
}

// The standard normal quantile of p, by bisection on the distribution.
double normal_quantile(double p) {
  double lo = -10.0, hi = 10.0;
  for (int i = 0; i < 100; ++i) {
    const double mid = (lo + hi) / 2.0;
    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

// The trials of one allocation: the filter's passband points and the mask's
// frequencies, judged as the study judges them.
class Trials {
 public:
  Trials(const DesignRecord& ds, const EndSteps& ends, const StudySettings& s, const LossMask& m)
      : builder_(ds, ends, study_dimensions(ds)), settings_(s) {
    std::vector<float> passband;
    for (float f : study_frequencies(ds))
      if (f <= m.pass_mhz) passband.push_back(f);
    eval_ = detail::evaluation_of(passband, m);
  }

  const std::vector<Dimension>& dimensions() const { return builder_.dimensions(); }
  int count() const { return std::max(settings_.trials, 1); }

  detail::TrialFigures figures(const std::vector<double>& moves) const {
    DesignRecord t;
    EndSteps ends;
    builder_.build(moves, t, ends);
    return detail::judge(eval_, trial_loss(t, ends, eval_.f));
  }

  // The mask's margins of one trial, dB: passband limit less the worst
  // passband loss; stop attenuation less its limit (infinite without one).
  std::pair<double, double> margins(const std::vector<double>& moves) const {
    const detail::TrialFigures f = figures(moves);
    const LossMask& m = *eval_.mask;
    return {static_cast<double>(m.pass_db) - f.worst_pass_db,
            m.stop_mhz ? f.stop_db - static_cast<double>(m.stop_db) : kInf};
  }

  // The trials from number `first` that meet the mask with tolerances tols;
  // the count stops short (and is below `needed`) once `needed` is out of reach.
  int passed(const std::vector<double>& tols, std::uint64_t first, int needed) const {
    const auto n = static_cast<std::size_t>(count());
    const int allowed = count() - needed;
    std::atomic<int> failed{0}, ok{0};
    share_pieces(settings_.threads, (n + detail::kTrialsPerPiece - 1) / detail::kTrialsPerPiece,
                 [&](std::size_t piece) {
                   std::vector<double> moves(tols.size());
                   const std::size_t last = std::min(n, (piece + 1) * detail::kTrialsPerPiece);
                   for (std::size_t i = piece * detail::kTrialsPerPiece; i < last; ++i) {
                     if (failed.load() > allowed) return;
                     detail::draw_moves(tols, settings_.spread, settings_.random_state, first + i,
                                        moves);
                     (figures(moves).passed ? ok : failed).fetch_add(1);
                   }
                 });
    return ok.load();
  }

 private:
  TrialBuilder builder_;
  StudySettings settings_;
  detail::Evaluation eval_;
};

// Tolerances in proportion to shape, scaled by k and held within floor and
// ceiling. A shape of 0 holds its dimension at the floor, an infinite one at
// the ceiling.
std::vector<double> scaled(const std::vector<double>& shape, double k,
                           const std::vector<double>& lo, const std::vector<double>& hi) {
  std::vector<double> t(shape.size());
  for (std::size_t i = 0; i < t.size(); ++i)
    t[i] = std::isinf(shape[i]) ? hi[i] : std::clamp(k * shape[i], lo[i], hi[i]);
  return t;
}

// A scale of a shape and the search trials that pass at it.
struct Scale {
  double k = 0;  // 0: none
  int passed = 0;
};

// The largest scale of shape, from the start k0, whose search trials reach
// `needed`: none when not even the floors do, the scale of the ceilings when
// they do.
Scale largest_scale(const Trials& trials, const std::vector<double>& shape, double k0,
                    const std::vector<double>& lo, const std::vector<double>& hi, int needed,
                    double bracket = kBracket, int bisections = kBisections) {
  Scale good, bad{kInf, 0};
  auto reaches = [&](double k) {
    const int passed = trials.passed(scaled(shape, k, lo, hi), 0, needed);
    (passed >= needed ? good : bad) = Scale{k, passed};
    return passed >= needed;
  };
  // Below k_floor every tolerance is at its floor, above k_ceiling at its ceiling.
  double k_floor = kInf, k_ceiling = 0.0;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (!(shape[i] > 0.0) || std::isinf(shape[i])) continue;
    k_floor = std::min(k_floor, lo[i] / shape[i]);
    k_ceiling = std::max(k_ceiling, hi[i] / shape[i]);
  }
  if (k_floor == kInf) {  // nothing to scale
    reaches(1.0);
    return good;
  }
  k0 = std::clamp(std::isfinite(k0) ? k0 : k_ceiling, k_floor, k_ceiling);
  if (reaches(k0)) {
    while (bad.k == kInf) {
      if (good.k >= k_ceiling) return good;
      reaches(std::min(bracket * good.k, k_ceiling));
    }
  } else {
    while (good.k == 0.0) {
      if (bad.k <= k_floor) return good;
      reaches(std::max(bad.k / bracket, k_floor));
    }
  }
  for (int i = 0; i < bisections; ++i) reaches(std::sqrt(good.k * bad.k));
  return good;
}

// The margin lost per unit on the worse side of a move of +/- h; infinite
// when a moved filter cannot be evaluated.
double margin_loss(double nominal, double up, double down, double h) {
  if (!std::isfinite(up) || !std::isfinite(down)) return kInf;
  return std::max({0.0, nominal - up, nominal - down}) / h;
}

std::string percent_text(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f %%", v);
  return buf;
}

// The loosest tolerances of one per kind that reach `needed` of the search
// trials: the least cost over ratios of the diameters' tolerance to the
// lengths', in steps of sqrt 2 from the root-sum-square ratio of the two
// kinds, walking toward the cheaper side while it gets cheaper. spread is the
// target's quantile times the standard deviation of a unit error.
UniformTolerances loosest_uniform(const Trials& trials, const std::vector<double>& relative,
                                  const std::vector<double>& lo, const std::vector<double>& hi,
                                  const AllocationSettings& a, double spread, int needed) {
  const std::vector<Dimension>& dims = trials.dimensions();
  const std::size_t n = dims.size();
  double length2 = 0.0, diameter2 = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    if (std::isfinite(relative[i]) && !dims[i].percent())
      (dims[i].length() ? length2 : diameter2) += relative[i] * relative[i];
  const bool two_kinds = length2 > 0.0 && diameter2 > 0.0;
  const double ratio0 =
      two_kinds ? std::cbrt(a.diameter_weight / diameter2) / std::cbrt(a.length_weight / length2)
                : 1.0;
  UniformTolerances best;
  best.cost = kInf;
  // The root-sum-square estimate of a scale, corrected by what the trials
  // found for the ratio before.
  double correction = 0.0;
  auto cost_at = [&](int step) {
    const double ratio = ratio0 * std::pow(std::sqrt(2.0), step);
    std::vector<double> shape(n);
    double spread2 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      shape[i] = dims[i].length() || dims[i].percent() ? 1.0 : ratio;
      if (std::isfinite(relative[i])) spread2 += relative[i] * relative[i] * shape[i] * shape[i];
    }
    const double estimate = 1.0 / (spread * std::sqrt(spread2));
    const Scale s = correction == 0.0 ? largest_scale(trials, shape, estimate, lo, hi, needed)
                                      : largest_scale(trials, shape, estimate * correction, lo, hi,
                                                      needed, kUniformBracket, kUniformBisections);
    if (s.k == 0.0) return kInf;
    correction = s.k / estimate;
    const std::vector<double> t = scaled(shape, s.k, lo, hi);
    const double cost = tolerance_cost(dims, t, a);
    if (cost < best.cost) {
      best = UniformTolerances{};
      best.cost = cost;
      best.yield_pct = 100.0 * s.passed / trials.count();
      for (std::size_t i = 0; i < n; ++i) {
        if (dims[i].percent())
          best.component_pct = t[i];
        else
          (dims[i].length() ? best.length_in : best.diameter_in) = t[i];
      }
    }
    return cost;
  };
  const double middle = cost_at(0);
  if (!two_kinds) return best;
  const double below = cost_at(-1);
  const double above = cost_at(1);
  const int way = below < above ? -1 : 1;
  double last = std::min(below, above);
  if (!(last < middle)) return best;
  for (int step = 2 * way; std::abs(step) <= kUniformRatioSteps; step += way) {
    const double c = cost_at(step);
    if (!(c < last)) break;
    last = c;
  }
  return best;
}

}  // namespace

double tolerance_cost(const std::vector<Dimension>& dims, const std::vector<double>& tols,
                      const AllocationSettings& a) {
  double cost = 0.0;
  for (std::size_t i = 0; i < dims.size(); ++i) cost += unit_cost(dims[i], a) / tols[i];
  return cost;
}

Allocation allocate_tolerances(const DesignRecord& ds, const EndSteps& ends,
                               const StudySettings& study, const AllocationSettings& a) {
  Allocation r;
  r.target_pct = a.target_pct;
  r.random_state = study.random_state;
  const std::optional<LossMask> mask = study.mask ? study.mask : design_mask(ds);
  if (!mask) {
    r.error = kNoMaskNote;
    return r;
  }
  const Trials trials(ds, ends, study, *mask);
  const std::vector<Dimension>& dims = trials.dimensions();
  const std::size_t n = dims.size();
  if (n == 0) {
    r.error = "the filter has no dimensions to allocate";
    return r;
  }

  // The nominal margins and each dimension's loss of them.
  std::vector<double> moves(n, 0.0);
  const detail::TrialFigures nominal = trials.figures(moves);
  if (!nominal.passed) {
    r.error =
        "the nominal filter does not meet the mask: " +
        mask_miss(*mask, !study.mask, nominal.worst_pass_db, nominal.stop_db, conductor_losses(ds));
    return r;
  }
  const auto [pass0, stop0] = trials.margins(moves);
  std::vector<double> relative(n), shape(n), lo(n), hi(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double h = dims[i].percent() ? kSensitivityStepPct : kSensitivityStepIn;
    moves[i] = h;
    const auto [pass_up, stop_up] = trials.margins(moves);
    moves[i] = -h;
    const auto [pass_down, stop_down] = trials.margins(moves);
    moves[i] = 0.0;
    const double pass_loss = margin_loss(pass0, pass_up, pass_down, h);
    const bool stop = std::isfinite(stop0);
    const double stop_loss = stop ? margin_loss(stop0, stop_up, stop_down, h) : 0.0;
    relative[i] = std::hypot(pass_loss / pass0, stop ? stop_loss / stop0 : 0.0);
    r.tolerances.push_back({dims[i].name, dims[i].percent(), 0.0, std::max(pass_loss, stop_loss)});
    lo[i] = floor_of(dims[i], a);
    hi[i] = ceiling_of(dims[i], a);
    // Least cost for a given root-sum-square spread; a dimension whose move
    // breaks the filter is held at its floor, one that moves nothing at its ceiling.
    shape[i] = relative[i] == 0.0 ? kInf
               : std::isinf(relative[i])
                   ? 0.0
                   : std::cbrt(unit_cost(dims[i], a) / (relative[i] * relative[i]));
  }

  // The root-sum-square start: the target's quantile of the margin's spread
  // fills the relative margin of 1.
  const double variance = study.spread == Spread::kUniform ? 1.0 / 3.0 : 1.0 / 9.0;
  double spread2 = 0.0;
  for (std::size_t i = 0; i < n; ++i)
    if (std::isfinite(relative[i] * shape[i]))
      spread2 += relative[i] * relative[i] * shape[i] * shape[i];
  const double z = std::max(normal_quantile(a.target_pct / 100.0), 0.5);
  const double k0 = spread2 > 0.0 ? 1.0 / (z * std::sqrt(variance * spread2)) : kInf;

  r.search_trials = trials.count();
  const int needed = static_cast<int>(std::ceil(a.target_pct / 100.0 * trials.count() - 1e-9));
  const Scale found = largest_scale(trials, shape, k0, lo, hi, needed);
  double k = found.k;
  r.search_yield_pct = 100.0 * found.passed / trials.count();
  if (k == 0.0) {
    const int at_floor = trials.passed(lo, 0, 0);
    r.error = "the target yield " + percent_text(a.target_pct) +
              " cannot be reached: the finest tolerances give " +
              percent_text(100.0 * at_floor / trials.count());
    return r;
  }

  // Confirmed on trials of other random streams (the numbers after the search's).
  const auto confirm_from = static_cast<std::uint64_t>(trials.count());
  std::vector<double> tols = scaled(shape, k, lo, hi);
  r.confirm_trials = trials.count();
  for (int i = 0;; ++i) {
    r.confirm_passed = trials.passed(tols, confirm_from, 0);
    if (r.confirm_passed >= needed || i == kConfirmTries) break;
    k *= kConfirmShrink;
    const std::vector<double> tighter = scaled(shape, k, lo, hi);
    if (tighter == tols) break;  // every tolerance at its floor
    tols = tighter;
    r.search_yield_pct = 100.0 * trials.passed(tols, 0, 0) / trials.count();
  }
  if (r.confirm_passed < needed) {
    r.error = "the target yield " + percent_text(a.target_pct) +
              " is not confirmed: the finest tolerances give " +
              percent_text(100.0 * r.confirm_passed / trials.count());
    return r;
  }
  r.confirmed = wilson_interval(r.confirm_passed, r.confirm_trials);
  for (std::size_t i = 0; i < n; ++i) r.tolerances[i].tolerance = tols[i];
  r.cost = tolerance_cost(dims, tols, a);

  r.uniform = loosest_uniform(trials, relative, lo, hi, a, z * std::sqrt(variance), needed);
  return r;
}

}  // namespace mx
