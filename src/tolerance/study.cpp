#include "tolerance/study.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/lumped_cascade.h"
#include "analysis/port_figures.h"
#include "analysis/sweep.h"
#include "base/shared_work.h"
#include "tolerance/trials.h"

namespace mx {
namespace {

using detail::Evaluation;
using detail::evaluation_of;
using detail::judge;
using detail::TrialFigures;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr float kThreeDb = 3.0f;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kHalfPowerDb = 3.0103f;  // 10 log10 2: Butterworth, Bessel, Legendre at FC1

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

std::string mask_miss(const LossMask& m, bool design_own, double worst_pass_db, double stop_db,
                      bool conductor_losses) {
  auto db = [](double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.4f dB", v);
    return std::string(buf);
  };
  const std::string losses = conductor_losses ? "conductor losses included" : "lossless";
  std::string why;
  if (!(worst_pass_db <= static_cast<double>(m.pass_db)))
    why = "worst passband loss " + db(worst_pass_db) + ", " + losses + ", against " +
          (design_own ? "Am " : "") + db(static_cast<double>(m.pass_db));
  if (m.stop_mhz && !(stop_db >= static_cast<double>(m.stop_db))) {
    char at[48];
    std::snprintf(at, sizeof at, "%.3f MHz", static_cast<double>(*m.stop_mhz));
    why += (why.empty() ? "" : "; ") + std::string("loss ") + db(stop_db) + " at " + at +
           ", against at least " + (design_own ? "A1 " : "") + db(static_cast<double>(m.stop_db));
  }
  return why;
}

bool conductor_losses(const DesignRecord& ds) {
  return !lumped_study(ds) && ds.losses.resistivity > 0.0f;
}

std::vector<std::string> unmatched_tolerances(const std::vector<Dimension>& dims,
                                              const StudySettings& s) {
  std::vector<std::string> out;
  for (const DimensionTolerance& own : s.own_tolerances)
    if (std::none_of(dims.begin(), dims.end(), [&](const Dimension& d) {
          return d.name == own.dimension && d.percent() == own.percent;
        }))
      out.push_back(own.dimension);
  return out;
}

StudyResult run_tolerance_study(const DesignRecord& ds, const EndSteps& ends,
                                const StudySettings& settings) {
  StudyResult r;
  r.settings = settings;
  r.circuit = circuit_name(ds);
  r.f_mhz = study_frequencies(ds);
  r.mask = settings.mask ? settings.mask : design_mask(ds);
  if (!r.mask) r.mask_note = kNoMaskNote;
  const Evaluation e = evaluation_of(r.f_mhz, r.mask);
  const TrialBuilder builder(ds, ends, study_dimensions(ds));
  const std::vector<Dimension>& dims = builder.dimensions();
  const std::vector<double> tols = detail::tolerances_of(dims, settings);
  r.unmatched_tolerances = unmatched_tolerances(dims, settings);

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
  if (r.mask && !r.nominal_passed)
    r.nominal_miss = mask_miss(*r.mask, !settings.mask, nominal_figures.worst_pass_db,
                               nominal_figures.stop_db, conductor_losses(ds));
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
  const std::size_t pieces =
      (static_cast<std::size_t>(n) + detail::kTrialsPerPiece - 1) / detail::kTrialsPerPiece;
  std::vector<std::vector<float>> lowest(pieces, std::vector<float>(e.points, kInf));
  std::vector<std::vector<float>> highest(pieces, std::vector<float>(e.points, -kInf));
  share_pieces(settings.threads, pieces, [&](std::size_t piece) {
    const std::size_t first = piece * detail::kTrialsPerPiece;
    const std::size_t last = std::min(static_cast<std::size_t>(n), first + detail::kTrialsPerPiece);
    DesignRecord t;
    std::vector<double> m(dims.size());
    std::vector<float>& lo = lowest[piece];
    std::vector<float>& hi = highest[piece];
    for (std::size_t i = first; i < last; ++i) {
      detail::draw_moves(tols, settings.spread, settings.random_state,
                         static_cast<std::uint64_t>(i), m);
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
