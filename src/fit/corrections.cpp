#include "fit/corrections.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>

#include "base/shared_work.h"
#include "fit/least_squares.h"
#include "tolerance/study.h"

namespace mx {
namespace {

constexpr double kStepIn = 0.00025;     // of the central differences, as the fit's
constexpr double kLeftIn = 0.0005;      // the least a faced section keeps
constexpr double kLargestCutIn = 0.05;  // no correction is larger than the fit's bounds
// The cost of a cut against the response: an inch of cut weighs as much as
// 1e-3 of rms in |S| (a mil as 1e-6, far below what a cut of a mil changes).
constexpr double kCutCost = 1e-3;

// One operation: which parameters of the model it changes, by how much per inch cut.
struct Operation {
  int section = 0;
  CutKind cut = CutKind::kFaceSourceSide;
  std::vector<std::pair<std::size_t, double>> effect;
  double largest = 0;
};

std::string inch_text(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

std::string operation_text(const Operation& op, int n) {
  const std::string k = std::to_string(op.section);
  switch (op.cut) {
    case CutKind::kFaceSourceSide:
      return op.section == 1 ? "face the source end of section 1"
                             : "face section " + k + " on its source side (lengthens L" +
                                   std::to_string(op.section - 1) + ")";
    case CutKind::kFaceLoadSide:
      return op.section == n ? "face the load end of section " + k
                             : "face section " + k + " on its load side (lengthens L" +
                                   std::to_string(op.section + 1) + ")";
    case CutKind::kTurnDiameter:
      return "turn down the inner diameter D" + k;
  }
  return {};
}

class Planner {
 public:
  Planner(const DesignRecord& ds, const EndSteps& ends, const FitResult& fit,
          const FitSettings& settings)
      : ds_(ds), model_(ds, ends, fit.f_mhz, fit.z1, fit.z2, model_settings(settings)) {
    const std::vector<FitParameter>& p = model_.parameters();
    for (const FitParameter& q : p) {
      double v = q.nominal;
      for (std::size_t i = 0; i < fit.parameters.size(); ++i)
        if (fit.parameters[i].name == q.name) v = fit.fitted[i];
      built_.push_back(v);
      target_.push_back(q.kind == FitParameterKind::kStepScale ? v : q.nominal);
    }
    for (double f : fit.f_mhz) f_.push_back(static_cast<float>(f));
    ModelResponse t;
    model_.response(target_, t);
    for (std::size_t k = 0; k < f_.size(); ++k) {
      target21_.push_back(std::abs(t.s21[k]));
      target11_.push_back(std::abs(t.s11[k]));
    }
    operations();
  }

  const std::vector<Operation>& ops() const { return ops_; }
  const std::vector<FitParameter>& parameters() const { return model_.parameters(); }
  const std::vector<double>& built() const { return built_; }
  const std::vector<double>& target() const { return target_; }

  std::vector<double> moved(const std::vector<double>& amounts) const {
    std::vector<double> x = built_;
    for (std::size_t o = 0; o < ops_.size(); ++o)
      for (const auto& [at, per] : ops_[o].effect) x[at] += per * amounts[o];
    return x;
  }

  // |S21| and |S11| of the model at x against the nominal's.
  void residual(const std::vector<double>& x, std::vector<double>& r) const {
    ModelResponse m;
    model_.response(x, m);
    r.resize(2 * f_.size());
    for (std::size_t k = 0; k < f_.size(); ++k) {
      r[2 * k] = std::abs(m.s21[k]) - target21_[k];
      r[2 * k + 1] = std::abs(m.s11[k]) - target11_[k];
    }
  }

  double distance(const std::vector<double>& x) const {
    std::vector<double> r;
    residual(x, r);
    double sum = 0.0;
    for (double v : r) sum += v * v;
    return r.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(r.size()));
  }

  double cutoff(const std::vector<double>& x) const {
    ModelResponse m;
    model_.response(x, m);
    std::vector<float> att;
    for (const auto& s : m.s21) att.push_back(static_cast<float>(-20.0 * std::log10(std::abs(s))));
    return cutoff_3db(f_, att);
  }

  std::size_t index_of(const std::string& name) const {
    const std::vector<FitParameter>& p = model_.parameters();
    for (std::size_t i = 0; i < p.size(); ++i)
      if (p[i].name == name) return i;
    return p.size();
  }

 private:
  static FitSettings model_settings(FitSettings s) {
    s.lengths = true;
    s.plane_offsets = false;
    s.fixed.clear();
    return s;
  }

  void add(int section, CutKind cut, std::vector<std::pair<std::size_t, double>> effect,
           double largest) {
    for (const auto& e : effect)
      if (e.first >= built_.size()) return;
    if (largest <= 0.0) return;
    ops_.push_back(Operation{section, cut, std::move(effect), largest});
  }

  void operations() {
    const int n = ds_.design.sections;
    auto length = [&](int k) { return index_of(numbered("L", k)); };
    auto room = [&](int k) {
      const std::size_t at = length(k);
      return at < built_.size() ? std::min(kLargestCutIn, built_[at] - kLeftIn) : 0.0;
    };
    for (int j = 0; j <= n; ++j) {
      const float left = line_section(ds_, j).inner;
      const float right = line_section(ds_, j + 1).inner;
      if (right > left && j + 1 <= n) {
        std::vector<std::pair<std::size_t, double>> e{{length(j + 1), -1.0}};
        if (j >= 1) e.emplace_back(length(j), 1.0);
        add(j + 1, CutKind::kFaceSourceSide, e, room(j + 1));
      } else if (left > right && j >= 1) {
        std::vector<std::pair<std::size_t, double>> e{{length(j), -1.0}};
        if (j + 1 <= n) e.emplace_back(length(j + 1), 1.0);
        add(j, CutKind::kFaceLoadSide, e, room(j));
      }
    }
    if (ds_.control.origin == Origin::kDistributedSynthesis) return;  // diameters by kind
    for (int k = 1; k <= n; ++k) {
      const std::size_t at = index_of(numbered("D", k));
      if (at < built_.size()) add(k, CutKind::kTurnDiameter, {{at, -1.0}}, 0.2 * built_[at]);
    }
  }

  const DesignRecord& ds_;
  FitModel model_;
  std::vector<double> built_, target_;
  std::vector<float> f_;
  std::vector<double> target21_, target11_;
  std::vector<Operation> ops_;
};

// The least-squares amounts of the operations, none negative: the
// operations a solution would run backwards (adding metal) are dropped one
// at a time, the most negative first, and the rest solved again (an active
// set over the solver). The response is taken as linear in the amounts
// about the built part (central differences of kStepIn: cuts of mils change
// it linearly to a few parts in a thousand), so the model is evaluated twice
// per operation, on the fit's threads. A small cost on every amount (kCutCost
// per inch) makes the solution unique where two cuts have nearly the same
// effect.
std::vector<double> cut_amounts(const Planner& planner, int threads) {
  const std::vector<Operation>& ops = planner.ops();
  const std::size_t n = ops.size();
  std::vector<double> r0;
  planner.residual(planner.built(), r0);
  const std::size_t m = r0.size();
  std::vector<double> jac(m * n);
  share_pieces(threads, n, [&](std::size_t o) {
    std::vector<double> up(n, 0.0), down(n, 0.0), rp, rm;
    up[o] = kStepIn;
    down[o] = -kStepIn;
    planner.residual(planner.moved(up), rp);
    planner.residual(planner.moved(down), rm);
    for (std::size_t k = 0; k < m; ++k) jac[o * m + k] = (rp[k] - rm[k]) / (2.0 * kStepIn);
  });
  std::vector<bool> active(n, true);
  for (;;) {
    std::vector<std::size_t> on;
    for (std::size_t o = 0; o < n; ++o)
      if (active[o]) on.push_back(o);
    if (on.empty()) return std::vector<double>(n, 0.0);
    BoundedProblem p;
    p.start.assign(on.size(), 0.0);
    p.lower.assign(on.size(), -kLargestCutIn);
    p.upper.assign(on.size(), kLargestCutIn);
    p.residuals = static_cast<int>(m + on.size());
    p.residual = [&](const std::vector<double>& a, std::vector<double>& r) {
      r.assign(r0.begin(), r0.end());
      for (std::size_t i = 0; i < on.size(); ++i) {
        const double* column = &jac[on[i] * m];
        for (std::size_t k = 0; k < m; ++k) r[k] += column[k] * a[i];
      }
      for (double v : a) r.push_back(kCutCost * v);
      return true;
    };
    p.jacobian = [&](const std::vector<double>& a, const std::vector<double>&,
                     std::vector<double>& j) {
      const auto rows = static_cast<std::size_t>(p.residuals);
      j.assign(rows * a.size(), 0.0);
      for (std::size_t i = 0; i < a.size(); ++i) {
        std::copy(&jac[on[i] * m], &jac[on[i] * m] + m, &j[i * rows]);
        j[i * rows + m + i] = kCutCost;
      }
      return true;
    };
    const BoundedSolution s = solve_bounded(p);
    if (!s.converged) return std::vector<double>(n, 0.0);
    std::size_t worst = on.size();
    for (std::size_t i = 0; i < on.size(); ++i)
      if (s.x[i] < 0.0 && (worst == on.size() || s.x[i] < s.x[worst])) worst = i;
    if (worst == on.size()) {
      std::vector<double> amounts(n, 0.0);
      for (std::size_t i = 0; i < on.size(); ++i)
        amounts[on[i]] = std::min(s.x[i], ops[on[i]].largest);
      return amounts;
    }
    active[on[worst]] = false;
  }
}

}  // namespace

CorrectionPlan plan_corrections(const DesignRecord& ds, const EndSteps& ends, const FitResult& fit,
                                const FitSettings& settings, const CorrectionSettings& c) {
  const Planner planner(ds, ends, fit, settings);
  const std::vector<Operation>& ops = planner.ops();
  CorrectionPlan plan;
  plan.nominal_cutoff_3db_mhz = planner.cutoff(planner.target());
  plan.built_cutoff_3db_mhz = planner.cutoff(planner.built());
  const std::vector<double> amounts = cut_amounts(planner, settings.threads);
  // The operations worth a cut, from the source end, each with the cutoff
  // of the part after it and those before it.
  std::vector<double> kept(ops.size(), 0.0);
  std::vector<std::size_t> order;
  for (std::size_t o = 0; o < ops.size(); ++o)
    if (amounts[o] >= c.smallest_cut_in) order.push_back(o);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return ops[a].section < ops[b].section; });
  const int n = ds.design.sections;
  for (std::size_t o : order) {
    kept[o] = amounts[o];
    Correction k;
    k.section = ops[o].section;
    k.cut = ops[o].cut;
    k.operation = operation_text(ops[o], n);
    k.amount_in = amounts[o];
    k.predicted_cutoff_3db_mhz = planner.cutoff(planner.moved(kept));
    plan.corrections.push_back(k);
  }
  plan.corrected_cutoff_3db_mhz = planner.cutoff(planner.moved(kept));
  plan.built_distance = planner.distance(planner.built());
  plan.corrected_distance = planner.distance(planner.moved(kept));
  // The lengths outside their tolerance that the plan does not restore.
  const std::vector<double> after = planner.moved(kept);
  for (int k = 1; k <= n; ++k) {
    const std::size_t at = planner.index_of(numbered("L", k));
    if (at >= after.size()) continue;
    const double error = planner.built()[at] - planner.target()[at];
    if (std::fabs(error) <= c.length_tol_in) continue;
    const double change = after[at] - planner.built()[at];
    if (error * change < 0.0 && std::fabs(change) >= 0.5 * std::fabs(error)) continue;
    bool can = false;
    for (const Operation& op : ops)
      for (const auto& [i, per] : op.effect)
        if (i == at && per * error < 0.0) can = true;
    std::string note = numbered("L", k) + " is " + inch_text(std::fabs(error)) + " inch too " +
                       (error > 0.0 ? "long" : "short") + ": ";
    if (!can)
      note += error > 0.0 ? "no cut shortens it" : "a disc cannot be lengthened";
    else
      note += "restoring it would move the response further from the nominal";
    // The cut nearest to it that the plan makes.
    const Correction* nearest = nullptr;
    for (const Correction& cut : plan.corrections)
      if (nearest == nullptr || std::abs(cut.section - k) < std::abs(nearest->section - k))
        nearest = &cut;
    note += nearest != nullptr ? "; compensated best by: " + nearest->operation + ", " +
                                     inch_text(nearest->amount_in) + " inch"
                               : "; no cut compensates it";
    plan.notes.push_back(note);
  }
  return plan;
}

}  // namespace mx
