#include "app/em_correct.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>

#include "app/coax_lines.h"
#include "fit/dense.h"
#include "tolerance/study.h"

namespace mx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The -3 dB frequency and the passband edge, MHz, in that order.
using Edges = std::array<double, 2>;

bool all_finite(const Edges& e) { return std::isfinite(e[0]) && std::isfinite(e[1]); }

// The mean of v and v reversed: v made mirror-symmetric.
std::vector<double> mirrored_mean(const std::vector<double>& v) {
  std::vector<double> m(v.size());
  for (std::size_t j = 0; j < v.size(); ++j) m[j] = 0.5 * (v[j] + v[v.size() - 1 - j]);
  return m;
}
// The correction's frequencies, in thousandths of FC1: every tenth of them up to 3 x FC1, and
// every one of them from kDenseBelow x the nominal edge to kDenseAbove x its -3 dB frequency.
constexpr int kTicksPerFc1 = 1000;
constexpr int kCoarseTick = 10;
constexpr int kLastTick = 3000;
constexpr double kDenseBelow = 0.97, kDenseAbove = 1.03;

double pct(double value, double target) { return 100.0 * (value - target) / target; }

// The level, dB, at which the loss is taken to have left the passband.
double passband_level(const DesignRecord& ds) {
  const std::optional<LossMask> m = design_mask(ds);
  return m ? static_cast<double>(m->pass_db) : 3.0;
}

std::vector<double> loss_db(const FullWaveResponse& r) {
  std::vector<double> loss(r.s21.size());
  for (std::size_t k = 0; k < loss.size(); ++k)
    loss[k] = -20.0 * std::log10(std::max(std::abs(r.s21[k]), 1e-12));
  return loss;
}

ResponseEdges edges_of(const FullWaveResponse& r, double am) {
  return response_edges(r.f_mhz, loss_db(r), am);
}

std::vector<double> lengths_of(const DesignRecord& ds) {
  std::vector<double> x;
  for (int j = 1; j <= ds.design.sections; ++j) x.push_back(static_cast<double>(ds.coax.length(j)));
  return x;
}

// True when the filter is the same seen from either end (the field solver then needs one run, not
// two, as long as the lengths stay mirrored).
bool mirrored(const DesignRecord& ds) {
  const CoaxFilterLines l = synthesized_lines(ds);
  const auto same = [](const CoaxLineData& a, const CoaxLineData& b) {
    const auto close = [](float x, float y) {
      return std::fabs(x - y) <= 1e-5f * std::max(std::fabs(x), std::fabs(y));
    };
    return close(a.outer, b.outer) && close(a.inner, b.inner) && close(a.er, b.er) &&
           close(a.length, b.length);
  };
  if (!same(l.source, l.load)) return false;
  for (std::size_t j = 0; j < l.sections.size(); ++j)
    if (!same(l.sections[j], l.sections[l.sections.size() - 1 - j])) return false;
  return true;
}

// The lengths nearest the synthesized ones (in relative terms) whose circuit model has its -3 dB
// frequency and passband edge at `goal` (MHz): Gauss-Newton steps of least norm on the two edges,
// their derivatives by central differences. None when they do not settle.
std::optional<std::vector<double>> aimed_lengths(const DesignRecord& ds, const EndSteps& ends,
                                                 const std::vector<float>& f, double am,
                                                 const Edges& goal, bool symmetric) {
  constexpr int kMostSteps = 12;
  constexpr double kSettledPct = 1e-4;    // of the goal: far inside the correction's tolerance
  constexpr double kRelativeStep = 1e-4;  // of a length: above the float model's rounding
  std::vector<double> z = lengths_of(ds);
  const std::size_t n = z.size();
  const auto edges = [&](const std::vector<double>& x) {
    const ResponseEdges e = edges_of(circuit_response(with_lengths(ds, x), ends, f), am);
    return Edges{e.cutoff_3db_mhz, e.edge_mhz};
  };
  for (int step = 0; step < kMostSteps; ++step) {
    const Edges now = edges(z);
    const Edges r{goal[0] - now[0], goal[1] - now[1]};
    if (!all_finite(r)) return std::nullopt;
    if (std::max(std::fabs(r[0]) / goal[0], std::fabs(r[1]) / goal[1]) * 100.0 <= kSettledPct)
      return z;
    std::vector<Edges> scaled(n);  // d edges / d (relative length), one column per section
    for (std::size_t j = 0; j < n; ++j) {
      std::vector<double> up = z, down = z;
      up[j] *= 1.0 + kRelativeStep;
      down[j] *= 1.0 - kRelativeStep;
      const Edges hi = edges(up), lo = edges(down);
      scaled[j] = {(hi[0] - lo[0]) / (2.0 * kRelativeStep),
                   (hi[1] - lo[1]) / (2.0 * kRelativeStep)};
      if (!all_finite(scaled[j])) return std::nullopt;
    }
    // The step of least norm: scaled' (scaled scaled')^-1 r, the 2 x 2 inverse written out.
    double n00 = 0.0, n01 = 0.0, n11 = 0.0;
    for (const Edges& c : scaled) {
      n00 += c[0] * c[0];
      n01 += c[0] * c[1];
      n11 += c[1] * c[1];
    }
    const double det = n00 * n11 - n01 * n01;
    if (!(std::fabs(det) > 0.0)) return std::nullopt;
    const Edges w{(n11 * r[0] - n01 * r[1]) / det, (n00 * r[1] - n01 * r[0]) / det};
    std::vector<double> dz(n);
    for (std::size_t j = 0; j < n; ++j) dz[j] = z[j] * (scaled[j][0] * w[0] + scaled[j][1] * w[1]);
    if (symmetric) dz = mirrored_mean(dz);
    for (std::size_t j = 0; j < n; ++j) {
      z[j] += dz[j];
      if (!std::isfinite(z[j]) || !(z[j] > 0.0)) return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string fixed(double v, int digits) {
  if (!std::isfinite(v)) return "null";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, v);
  return text;
}

}  // namespace

bool valid_em_resolution(const std::string& r) {
  if (r == kEmConverged) return true;
  for (const char* known : kFieldSolverResolutions)
    if (r == known) return true;
  return false;
}

ResponseEdges response_edges(const std::vector<double>& f, const std::vector<double>& loss,
                             double am) {
  ResponseEdges e{kNaN, kNaN};
  std::size_t k3 = 0;
  for (std::size_t k = 1; k < f.size() && k3 == 0; ++k)
    if (loss[k - 1] < 3.0 && loss[k] >= 3.0) k3 = k;
  if (k3 == 0) return e;
  const auto crossing = [&](std::size_t k, double level) {
    return f[k - 1] + (level - loss[k - 1]) / (loss[k] - loss[k - 1]) * (f[k] - f[k - 1]);
  };
  e.cutoff_3db_mhz = crossing(k3, 3.0);
  for (std::size_t k = k3; k >= 1; --k) {
    if (loss[k - 1] <= am && am < loss[k]) {
      e.edge_mhz = crossing(k, am);
      break;
    }
  }
  return e;
}

DesignRecord with_lengths(const DesignRecord& ds, const std::vector<double>& lengths_in) {
  DesignRecord out = ds;
  for (int j = 1; j <= ds.design.sections && j <= static_cast<int>(lengths_in.size()); ++j)
    out.coax.length(j) = static_cast<float>(lengths_in[static_cast<std::size_t>(j - 1)]);
  out.losses = Losses{};
  return out;
}

FullWaveResponse circuit_response(const DesignRecord& ds, const EndSteps& ends,
                                  const std::vector<float>& f_mhz) {
  std::vector<TwoPort> rs(f_mhz.size());
  coax_cascades(coax_network(ds, ends), f_mhz, rs);
  const double z = static_cast<double>(ds.design.system_impedance);
  FullWaveResponse r;
  for (std::size_t k = 0; k < f_mhz.size(); ++k) {
    const auto& v = rs[k].v;
    const auto part = [&](int i) {
      return std::complex<double>(static_cast<double>(v[static_cast<std::size_t>(2 * i)]),
                                  static_cast<double>(v[static_cast<std::size_t>(2 * i + 1)]));
    };
    const std::complex<double> a = part(0), b = part(1) / z, c = part(2) * z, d = part(3);
    const std::complex<double> den = a + b + c + d;
    r.f_mhz.push_back(static_cast<double>(f_mhz[k]));
    r.s11.push_back((a + b - c - d) / den);
    r.s21.push_back(2.0 / den);
  }
  return r;
}

std::vector<float> correction_frequencies(const DesignRecord& ds, const EndSteps& ends) {
  const float fc1 = ds.design.cutoff_mhz;
  const auto at = [fc1](int tick) {
    return fc1 * static_cast<float>(tick) / static_cast<float>(kTicksPerFc1);
  };
  std::vector<float> every;
  for (int t = 1; t <= kLastTick; ++t) every.push_back(at(t));
  const DesignRecord nominal = with_lengths(ds, lengths_of(ds));
  const ResponseEdges e = edges_of(circuit_response(nominal, ends, every), passband_level(ds));
  std::set<int> ticks;
  for (int t = kCoarseTick; t <= kLastTick; t += kCoarseTick) ticks.insert(t);
  if (std::isfinite(e.edge_mhz) && std::isfinite(e.cutoff_3db_mhz)) {
    const double per_tick = static_cast<double>(fc1) / kTicksPerFc1;
    const int lo = static_cast<int>(std::floor(kDenseBelow * e.edge_mhz / per_tick));
    const int hi = static_cast<int>(std::ceil(kDenseAbove * e.cutoff_3db_mhz / per_tick));
    for (int t = std::max(1, lo); t <= std::min(kLastTick, hi); ++t) ticks.insert(t);
  }
  std::vector<float> f;
  for (const int t : ticks) f.push_back(at(t));
  return f;
}

EmCorrection correct_lengths(const DesignRecord& ds, const EndSteps& ends,
                             const std::string& resolution, const FieldRun& field,
                             const LengthExtraction& extract, std::ostream& progress) {
  EmCorrection c;
  c.resolution = resolution;
  const std::vector<float> f = correction_frequencies(ds, ends);
  const double am = passband_level(ds);
  const std::vector<double> nominal = lengths_of(ds);
  const ResponseEdges target = edges_of(circuit_response(with_lengths(ds, nominal), ends, f), am);
  c.target_3db_mhz = target.cutoff_3db_mhz;
  c.target_edge_mhz = target.edge_mhz;
  if (!std::isfinite(target.cutoff_3db_mhz) || !std::isfinite(target.edge_mhz)) {
    c.failure = "the circuit model has no passband edge or -3 dB frequency below 3 x FC1";
    return c;
  }
  const std::size_t n = nominal.size();
  std::vector<double> x = nominal, h_prev, dx_prev;
  std::vector<double> jacobian(n * n, 0.0);  // column-major
  for (std::size_t i = 0; i < n; ++i) jacobian[i + n * i] = 1.0;
  // A mirrored filter stays mirrored: the residual is averaged with its reverse, and with it every
  // step (the identity and Broyden's updates by mirrored vectors commute with the reversal).
  const bool symmetric = mirrored(ds);
  double best = std::numeric_limits<double>::infinity();
  for (int run = 1;; ++run) {
    const std::vector<double> lengths = x;
    const DesignRecord trial = with_lengths(ds, lengths);
    const FullWaveResponse fw = field(trial, f);
    const ResponseEdges e = edges_of(fw, am);
    EmIteration it;
    it.cutoff_3db_mhz = e.cutoff_3db_mhz;
    it.edge_mhz = e.edge_mhz;
    for (const double v : lengths) it.lengths_in.push_back(static_cast<float>(v));
    it.solver_s = fw.solver_s;
    c.iterations.push_back(it);
    const double shift = pct(e.cutoff_3db_mhz, target.cutoff_3db_mhz);
    const double edge_shift = pct(e.edge_mhz, target.edge_mhz);
    progress << "mandrelix: full-wave run " << run << " (" << resolution << " mesh, "
             << fixed(fw.solver_s, 1) << " s): -3 dB " << fixed(e.cutoff_3db_mhz, 2) << " MHz ("
             << fixed(shift, 3) << " %), edge " << fixed(e.edge_mhz, 2) << " MHz ("
             << fixed(edge_shift, 3) << " %)\n";
    if (!std::isfinite(shift) || !std::isfinite(edge_shift)) {
      c.failure = "the field solution has no passband edge or -3 dB frequency";
      return c;
    }
    const double worst = std::max(std::fabs(shift), std::fabs(edge_shift));
    if (worst < best) {
      best = worst;
      c.lengths_in = it.lengths_in;
      c.shift_pct = shift;
      c.edge_shift_pct = edge_shift;
    }
    if (worst <= kEmTolerancePct) {
      c.lengths_in = it.lengths_in;
      c.shift_pct = shift;
      c.edge_shift_pct = edge_shift;
      c.converged = true;
      return c;
    }
    if (run >= kEmMostFieldRuns) {
      c.failure = "not within " + fixed(kEmTolerancePct, 2) + " % after " + std::to_string(run) +
                  " field runs";
      return c;
    }
    const std::vector<double> z = extract(ds, ends, fw, lengths);
    // What the extraction misses: the field solution's edges against those of the circuit model
    // that reproduces it. The circuit model is aimed that much the other way.
    const ResponseEdges fitted = edges_of(circuit_response(with_lengths(ds, z), ends, f), am);
    const Edges missed{e.cutoff_3db_mhz - fitted.cutoff_3db_mhz, e.edge_mhz - fitted.edge_mhz};
    const std::optional<std::vector<double>> aim = aimed_lengths(
        ds, ends, f, am, Edges{target.cutoff_3db_mhz - missed[0], target.edge_mhz - missed[1]},
        symmetric);
    if (!all_finite(missed) || !aim) {
      c.failure = "the circuit model cannot be aimed at the field solution's edges";
      return c;
    }
    std::vector<double> h(n);
    for (std::size_t j = 0; j < n; ++j) h[j] = z[j] - (*aim)[j];
    if (symmetric) h = mirrored_mean(h);
    if (dx_prev.size() == n) {
      // Broyden's update of the mapping's Jacobian: J += (h - h_prev - J dx_prev) dx_prev' /
      // |dx_prev|^2.
      double norm = 0.0;
      for (const double v : dx_prev) norm += v * v;
      for (std::size_t i = 0; i < n; ++i) {
        double predicted = 0.0;
        for (std::size_t j = 0; j < n; ++j) predicted += jacobian[i + n * j] * dx_prev[j];
        const double miss = h[i] - h_prev[i] - predicted;
        for (std::size_t j = 0; j < n; ++j) jacobian[i + n * j] += miss * dx_prev[j] / norm;
      }
    }
    std::vector<double> minus_h(n);
    for (std::size_t j = 0; j < n; ++j) minus_h[j] = -h[j];
    const std::optional<std::vector<double>> dx = solve_square(jacobian, minus_h);
    if (!dx) {
      c.failure = "the mapping between the field solution and the circuit model is singular";
      return c;
    }
    for (std::size_t j = 0; j < n; ++j) {
      if (!(x[j] + (*dx)[j] > 0.0)) {
        c.failure = "the mapping asks for a section length that is not positive";
        return c;
      }
    }
    for (std::size_t j = 0; j < n; ++j) x[j] += (*dx)[j];
    h_prev = h;
    dx_prev = *dx;
  }
}

void write_correction_json(std::ostream& os, const EmCorrection& c) {
  const auto lengths = [&](const std::vector<float>& v) {
    std::string s = "[";
    for (std::size_t j = 0; j < v.size(); ++j)
      s += (j ? ", " : "") + fixed(static_cast<double>(v[j]), 6);
    return s + "]";
  };
  os << "{\n  \"target\": {\"cutoff_3db_mhz\": " << fixed(c.target_3db_mhz, 3)
     << ", \"edge_mhz\": " << fixed(c.target_edge_mhz, 3) << "},\n"
     << "  \"resolution\": \"" << c.resolution << "\",\n  \"iterations\": [";
  for (std::size_t k = 0; k < c.iterations.size(); ++k) {
    const EmIteration& it = c.iterations[k];
    os << (k ? "," : "") << "\n    {\"cutoff_3db_mhz\": " << fixed(it.cutoff_3db_mhz, 3)
       << ", \"edge_mhz\": " << fixed(it.edge_mhz, 3)
       << ", \"lengths_in\": " << lengths(it.lengths_in)
       << ", \"solver_s\": " << fixed(it.solver_s, 1) << "}";
  }
  const EmIteration* last = nullptr;
  for (const EmIteration& it : c.iterations)
    if (it.lengths_in == c.lengths_in) last = &it;
  os << "\n  ],\n  \"final\": {\"cutoff_3db_mhz\": " << fixed(last ? last->cutoff_3db_mhz : kNaN, 3)
     << ", \"edge_mhz\": " << fixed(last ? last->edge_mhz : kNaN, 3)
     << ", \"shift_pct\": " << fixed(last ? c.shift_pct : kNaN, 4)
     << ", \"edge_shift_pct\": " << fixed(last ? c.edge_shift_pct : kNaN, 4)
     << ", \"lengths_in\": " << lengths(c.lengths_in) << "},\n"
     << "  \"fullwave_runs\": " << c.iterations.size() << ",\n"
     << "  \"converged\": " << (c.converged ? "true" : "false") << "\n}\n";
}

}  // namespace mx
