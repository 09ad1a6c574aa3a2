#include "tolerance/study.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "analysis/lumped_cascade.h"
#include "analysis/port_figures.h"
#include "analysis/sweep.h"
#include "base/shared_work.h"

namespace mx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kThreeDb = 3.0f;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kHalfPowerDb = 3.0103f;  // 10 log10 2: Butterworth, Bessel, Legendre at FC1
constexpr double kTwoPi = 6.283185307179586;
// Trials a thread takes at a time: some milliseconds of work, small beside a
// study of thousands of trials.
constexpr std::size_t kTrialsPerPiece = 50;

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

double tolerance_of(const Dimension& d, const StudySettings& s) {
  if (d.percent()) return static_cast<double>(s.component_tol_pct);
  return static_cast<double>(d.length() ? s.length_tol_in : s.diameter_tol_in);
}

// The errors of one trial, in the order of the dimensions.
void draw_moves(const std::vector<Dimension>& dims, const StudySettings& s, std::uint64_t trial,
                std::vector<double>& moves) {
  std::mt19937_64 g(trial_stream(s.random_state, trial));
  for (std::size_t i = 0; i < dims.size(); ++i) {
    const double tol = tolerance_of(dims[i], s);
    if (s.spread == Spread::kUniform) {
      moves[i] = (2.0 * unit(g) - 1.0) * tol;
    } else {
      // Box-Muller; the tolerance is three standard deviations.
      const double u1 = 1.0 - unit(g);
      const double u2 = unit(g);
      moves[i] = std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2) * tol / 3.0;
    }
  }
}

// The frequencies a trial is evaluated at: the study's, then the mask's own.
struct Evaluation {
  std::vector<float> f;  // study points first
  std::size_t points = 0;
  std::optional<LossMask> mask;
  std::size_t pass_at = 0;  // index of the mask's pass frequency in f
  std::size_t stop_at = 0;
};

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

struct TrialFigures {
  bool passed = false;
  double worst_pass_db = kNaN;
  double f3db = kNaN;
};

TrialFigures judge(const Evaluation& e, const std::vector<float>& att) {
  TrialFigures t;
  const std::vector<float> points(att.begin(), att.begin() + static_cast<long>(e.points));
  const std::vector<float> f(e.f.begin(), e.f.begin() + static_cast<long>(e.points));
  t.f3db = cutoff_3db(f, points);
  if (!e.mask) return t;
  float worst = att[e.pass_at];
  for (std::size_t k = 0; k < e.points; ++k)
    if (e.f[k] <= e.mask->pass_mhz) worst = std::max(worst, att[k]);
  t.worst_pass_db = static_cast<double>(worst);
  t.passed = worst <= e.mask->pass_db;
  if (e.mask->stop_mhz) t.passed = t.passed && att[e.stop_at] >= e.mask->stop_db;
  return t;
}

std::string circuit_name(const DesignRecord& ds) {
  if (lumped_study(ds)) return "lumped ladder";
  if (ds.control.origin == Origin::kDistributedSynthesis) return "synthesized coaxial filter";
  return "entered coaxial circuit";
}

}  // namespace

std::vector<float> study_frequencies(const DesignRecord& ds) {
  std::vector<float> f;
  if (ds.control.function == Function::kSynthesis) {
    const float top = kSynthesisSpan * ds.design.cutoff_mhz;
    for (int k = 0; k < kSynthesisPoints; ++k)
      f.push_back(top * static_cast<float>(k) / static_cast<float>(kSynthesisPoints - 1));
    return f;
  }
  for (int k = 0; k <= ds.sweep.steps; ++k) f.push_back(sweep_frequency(ds.sweep, k));
  return f;
}

Terminations study_terminations(const DesignRecord& ds) {
  if (ds.control.function != Function::kSynthesis) return ds.ports;
  const float zo = ds.design.system_impedance;
  return Terminations{zo, 0.0f, zo, 0.0f};
}

std::optional<LossMask> design_mask(const DesignRecord& ds) {
  const Origin o = ds.control.origin;
  if (o != Origin::kDistributedSynthesis && o != Origin::kElectricalSynthesis) return std::nullopt;
  LossMask m;
  m.pass_mhz = ds.design.cutoff_mhz;
  const Response r = ds.control.response;
  const bool half_power =
      r == Response::kButterworth || r == Response::kBessel || r == Response::kLegendre;
  m.pass_db = half_power ? kHalfPowerDb : ds.design.ripple_db;
  if (r == Response::kElliptic) {
    m.stop_mhz = ds.design.stopband_edge_mhz;
    m.stop_db = ds.design.stopband_db;
  } else if (ds.control.count_from_skirt) {
    m.stop_mhz = ds.design.skirt_mhz;
    m.stop_db = ds.design.skirt_atten_db;
  }
  return m;
}

std::vector<float> trial_loss(const DesignRecord& ds, const EndSteps& ends,
                              const std::vector<float>& f_mhz) {
  std::vector<float> att(f_mhz.size());
  const PortTerms terms = port_terms(study_terminations(ds));
  // All the points' cascades at once, four side by side.
  std::vector<TwoPort> rs(f_mhz.size());
  if (lumped_study(ds)) {
    lumped_cascades(lumped_ladder(ds), f_mhz, rs);
  } else {
    coax_cascades(coax_network(ds, ends), f_mhz, rs);
  }
  for (std::size_t k = 0; k < f_mhz.size(); ++k) att[k] = -port_figures(rs[k], terms).loss_db;
  return att;
}

double cutoff_3db(const std::vector<float>& f, const std::vector<float>& att) {
  for (std::size_t k = 1; k < f.size(); ++k) {
    if (!(att[k - 1] < kThreeDb)) return kNaN;
    if (att[k] >= kThreeDb) {
      const double a0 = static_cast<double>(att[k - 1]), a1 = static_cast<double>(att[k]);
      const double f0 = static_cast<double>(f[k - 1]), f1 = static_cast<double>(f[k]);
      return f0 + (f1 - f0) * (static_cast<double>(kThreeDb) - a0) / (a1 - a0);
    }
  }
  return kNaN;
}

StudyResult run_tolerance_study(const DesignRecord& ds, const EndSteps& ends,
                                const StudySettings& settings) {
  StudyResult r;
  r.settings = settings;
  r.circuit = circuit_name(ds);
  r.f_mhz = study_frequencies(ds);
  r.mask = settings.mask ? settings.mask : design_mask(ds);
  if (!r.mask) r.mask_note = "no mask: give --pass-mhz and --pass-db for an entered circuit";
  const Evaluation e = evaluation_of(r.f_mhz, r.mask);
  const TrialBuilder builder(ds, ends, study_dimensions(ds));
  const std::vector<Dimension>& dims = builder.dimensions();

  auto evaluate = [&](const std::vector<double>& moves, DesignRecord& trial) {
    EndSteps trial_ends;
    builder.build(moves, trial, trial_ends);
    return trial_loss(trial, trial_ends, e.f);
  };

  // The nominal filter and the sensitivities.
  DesignRecord trial;
  std::vector<double> moves(dims.size(), 0.0);
  const std::vector<float> nominal = evaluate(moves, trial);
  for (std::size_t k = 0; k < e.points; ++k) r.nominal_db.push_back(-nominal[k]);
  const TrialFigures nominal_figures = judge(e, nominal);
  r.nominal_3db_mhz = nominal_figures.f3db;
  r.nominal_passed = nominal_figures.passed;
  for (std::size_t i = 0; i < dims.size(); ++i) {
    const double h = dims[i].percent() ? kSensitivityStepPct : kSensitivityStepIn;
    moves[i] = h;
    const double up = judge(e, evaluate(moves, trial)).f3db;
    moves[i] = -h;
    const double down = judge(e, evaluate(moves, trial)).f3db;
    moves[i] = 0.0;
    r.sensitivity.push_back({dims[i].name, (up - down) / 2.0});  // per mil or per percent
  }

  // The trials, in pieces of consecutive indices that the threads take in
  // turn; each piece keeps its own envelope, and the pieces' envelopes are
  // joined in order, so the result is the same on any number of threads.
  const int n = std::max(settings.trials, 0);
  std::vector<TrialFigures> figures(static_cast<std::size_t>(n));
  const std::size_t pieces = (static_cast<std::size_t>(n) + kTrialsPerPiece - 1) / kTrialsPerPiece;
  std::vector<std::vector<float>> lowest(pieces, std::vector<float>(e.points, kInf));
  std::vector<std::vector<float>> highest(pieces, std::vector<float>(e.points, -kInf));
  share_pieces(settings.threads, pieces, [&](std::size_t piece) {
    const std::size_t first = piece * kTrialsPerPiece;
    const std::size_t last = std::min(static_cast<std::size_t>(n), first + kTrialsPerPiece);
    DesignRecord t;
    std::vector<double> m(dims.size());
    std::vector<float>& lo = lowest[piece];
    std::vector<float>& hi = highest[piece];
    for (std::size_t i = first; i < last; ++i) {
      draw_moves(dims, settings, static_cast<std::uint64_t>(i), m);
      const std::vector<float> att = evaluate(m, t);
      figures[i] = judge(e, att);
      for (std::size_t k = 0; k < e.points; ++k) {
        lo[k] = std::min(lo[k], -att[k]);
        hi[k] = std::max(hi[k], -att[k]);
      }
    }
  });

  r.lowest_db.assign(e.points, kInf);
  r.highest_db.assign(e.points, -kInf);
  for (std::size_t p = 0; p < pieces; ++p)
    for (std::size_t k = 0; k < e.points; ++k) {
      r.lowest_db[k] = std::min(r.lowest_db[k], lowest[p][k]);
      r.highest_db[k] = std::max(r.highest_db[k], highest[p][k]);
    }
  r.trials = n;
  std::vector<double> worst, f3;
  for (const TrialFigures& t : figures) {
    r.passed += t.passed ? 1 : 0;
    worst.push_back(t.worst_pass_db);
    f3.push_back(t.f3db);
    if (std::isnan(t.f3db)) ++r.without_3db;
  }
  r.yield = wilson_interval(r.passed, n);
  r.worst_pass_loss_db = spread_of(worst);
  r.cutoff_3db_mhz = spread_of(f3);
  return r;
}

}  // namespace mx
