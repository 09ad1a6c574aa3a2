#include "fit/fit.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <sstream>
#include <tuple>

#include "analysis/two_port.h"
#include "base/shared_work.h"
#include "base/units.h"
#include "export/s_parameters.h"
#include "fit/dense.h"
#include "fit/least_squares.h"
#include "tolerance/dimensions.h"

namespace mx {
namespace {

using Complex = std::complex<double>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoPi = 6.283185307179586;

// Steps of the central differences: a quarter of a mil for a dimension (the
// float model resolves some 1e-7 inch, its response changes smoothly over
// tens of mil), a thousandth for a step factor.
constexpr double kDimensionStepIn = 0.00025;
constexpr double kScaleStep = 0.001;

bool is_synthesized(const DesignRecord& ds) {
  return ds.control.origin == Origin::kDistributedSynthesis;
}

auto key_of(const LineSection& s) { return std::make_tuple(s.outer, s.inner, s.er); }

}  // namespace

std::string numbered(const char* prefix, int k) {
  std::string s = prefix;
  s += std::to_string(k);
  return s;
}

LineSection line_section(const DesignRecord& ds, int i) {
  const int n = ds.design.sections;
  if (!is_synthesized(ds)) return {ds.entered.outer(i), ds.entered.inner(i), ds.entered.er(i)};
  int kind = kSourceLine;
  if (i == n + 1) {
    kind = kLoadLine;
  } else if (i > 0) {
    // Odd positions of the standard configuration are shunt capacitors (low
    // impedance); the dual starts with a series inductor.
    const bool dual = ds.control.configuration == Configuration::kDual;
    kind = (dual ? i % 2 == 0 : i % 2 != 0) ? kLowLine : kHighLine;
  }
  return {ds.lines.outer(kind), ds.lines.inner(kind), ds.lines.er(kind)};
}

namespace {

// The kinds of the junctions 0..N of ds: one per unordered pair of
// cross-sections that differ, numbered from 1 in the order of first
// occurrence; 0 for a junction of two equal lines (no step).
std::vector<int> junction_kinds(const DesignRecord& ds) {
  using Key = std::tuple<float, float, float>;
  std::map<std::pair<Key, Key>, int> kinds;
  std::vector<int> out;
  for (int j = 0; j <= ds.design.sections; ++j) {
    Key a = key_of(line_section(ds, j));
    Key b = key_of(line_section(ds, j + 1));
    if (a == b) {
      out.push_back(0);
      continue;
    }
    if (b < a) std::swap(a, b);
    const auto found = kinds.find({a, b});
    const int kind = found != kinds.end() ? found->second : static_cast<int>(kinds.size()) + 1;
    kinds.emplace(std::make_pair(a, b), kind);
    out.push_back(kind);
  }
  return out;
}

bool is_fixed(const FitSettings& s, const std::string& name) {
  return std::find(s.fixed.begin(), s.fixed.end(), name) != s.fixed.end();
}

}  // namespace

struct FitModel::Impl {
  Impl(const DesignRecord& ds, const EndSteps& ends, std::vector<Dimension> dims)
      : nominal(ds), builder(nominal, ends, std::move(dims)) {}

  DesignRecord nominal;
  TrialBuilder builder;  // the dimension parameters, in their order
  std::vector<FitParameter> parameters;
  std::vector<std::size_t> dimension_at;  // parameter index of each dimension of builder
  std::vector<int> kind_of_place;         // junction kind at each junction place
  std::vector<std::size_t> scale_at;      // parameter index of kind k's factor (npos: none)
  std::size_t offset_at[2] = {npos, npos};
  std::vector<double> f;
  std::vector<float> f_float;
  double z1 = 50, z2 = 50;
  double sqrt_er[2] = {1, 1};  // of the end lines, for the plane offsets

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  double beta(int port, std::size_t k) const {  // rad per inch in the end line at f[k]
    return kTwoPi * f[k] * sqrt_er[port] / static_cast<double>(kLightInchPerUs);
  }
  bool response(const std::vector<double>& x, ModelResponse& out) const;
};

FitModel::FitModel(const DesignRecord& ds, const EndSteps& ends, const std::vector<double>& f_mhz,
                   double z1, double z2, const FitSettings& s) {
  const bool synthesized = is_synthesized(ds);
  const int n = ds.design.sections;
  // The dimensions: every length, then the inner diameters.
  std::vector<Dimension> dims;
  std::vector<FitParameter> params;
  auto add_dimension = [&](DimensionKind kind, int index, const std::string& name, double nominal,
                           double lower, double upper, FitParameterKind fk) {
    if (is_fixed(s, name)) return;
    dims.push_back(Dimension{kind, index, name});
    FitParameter p;
    p.kind = fk;
    p.index = index;
    p.name = name;
    p.nominal = nominal;
    p.lower = lower;
    p.upper = upper;
    params.push_back(p);
  };
  if (s.lengths) {
    for (int k = 1; k <= n; ++k) {
      const double l = static_cast<double>(synthesized ? ds.coax.length(k) : ds.entered.length(k));
      add_dimension(synthesized ? DimensionKind::kSynthesizedLength : DimensionKind::kEnteredLength,
                    k, numbered("L", k), l, std::max(0.0, l - s.length_bound_in),
                    l + s.length_bound_in, FitParameterKind::kLength);
    }
  }
  if (s.inner_diameters) {
    auto diameter = [&](DimensionKind kind, int index, const std::string& name, float d,
                        float bore) {
      const double dd = static_cast<double>(d);
      const double lower = std::max(0.5 * dd, dd - s.diameter_bound_in);
      const double upper =
          std::min(dd + s.diameter_bound_in, 0.5 * (dd + static_cast<double>(bore)));
      add_dimension(kind, index, name, dd, lower, upper, FitParameterKind::kInnerDiameter);
    };
    if (synthesized) {
      diameter(DimensionKind::kKindInner, kHighLine, "D high", ds.lines.inner(kHighLine),
               ds.lines.outer(kHighLine));
      diameter(DimensionKind::kKindInner, kLowLine, "D low", ds.lines.inner(kLowLine),
               ds.lines.outer(kLowLine));
    } else {
      for (int k = 1; k <= n; ++k)
        diameter(DimensionKind::kEnteredInner, k, numbered("D", k), ds.entered.inner(k),
                 ds.entered.outer(k));
    }
  }
  impl_ = std::make_unique<Impl>(ds, ends, dims);
  Impl& m = *impl_;
  for (std::size_t i = 0; i < params.size(); ++i) m.dimension_at.push_back(i);
  // The step factors.
  m.kind_of_place = junction_kinds(ds);
  const int kinds = *std::max_element(m.kind_of_place.begin(), m.kind_of_place.end());
  m.scale_at.assign(static_cast<std::size_t>(kinds) + 1, Impl::npos);
  auto add_scale = [&](int index, const std::string& name, std::vector<int> junctions) {
    if (is_fixed(s, name) || junctions.empty()) return;
    FitParameter p;
    p.kind = FitParameterKind::kStepScale;
    p.index = index;
    p.name = name;
    p.nominal = 1.0;
    p.lower = s.scale_lower;
    p.upper = s.scale_upper;
    p.junctions = std::move(junctions);
    params.push_back(p);
  };
  std::vector<std::vector<int>> places(static_cast<std::size_t>(kinds) + 1);
  for (std::size_t j = 0; j < m.kind_of_place.size(); ++j)
    places[static_cast<std::size_t>(m.kind_of_place[j])].push_back(static_cast<int>(j));
  if (s.step_scale == StepScaleFit::kCommon && kinds > 0) {
    std::vector<int> all;
    for (int k = 1; k <= kinds; ++k)
      all.insert(all.end(), places[static_cast<std::size_t>(k)].begin(),
                 places[static_cast<std::size_t>(k)].end());
    std::sort(all.begin(), all.end());
    const std::size_t at = params.size();
    add_scale(0, "Cstep", all);
    if (params.size() > at)
      for (int k = 1; k <= kinds; ++k) m.scale_at[static_cast<std::size_t>(k)] = at;
  } else if (s.step_scale == StepScaleFit::kPerKind) {
    for (int k = 1; k <= kinds; ++k) {
      const std::size_t at = params.size();
      add_scale(k, numbered("Cstep", k), places[static_cast<std::size_t>(k)]);
      if (params.size() > at) m.scale_at[static_cast<std::size_t>(k)] = at;
    }
  }
  // The plane offsets.
  if (s.plane_offsets && !s.magnitude_only) {
    for (int port = 1; port <= 2; ++port) {
      const std::string name = numbered("P", port);
      if (is_fixed(s, name)) continue;
      FitParameter p;
      p.kind = FitParameterKind::kPlaneOffset;
      p.index = port;
      p.name = name;
      p.lower = -s.offset_bound_in;
      p.upper = s.offset_bound_in;
      m.offset_at[port - 1] = params.size();
      params.push_back(p);
    }
  }
  m.parameters = std::move(params);
  m.f = f_mhz;
  for (double v : f_mhz) m.f_float.push_back(static_cast<float>(v));
  m.z1 = z1;
  m.z2 = z2;
  m.sqrt_er[0] = std::sqrt(static_cast<double>(line_section(ds, 0).er));
  m.sqrt_er[1] = std::sqrt(static_cast<double>(line_section(ds, n + 1).er));
}

FitModel::~FitModel() = default;

const std::vector<FitParameter>& FitModel::parameters() const { return impl_->parameters; }

std::vector<double> FitModel::nominal() const {
  std::vector<double> x;
  for (const FitParameter& p : impl_->parameters) x.push_back(p.nominal);
  return x;
}

const std::vector<double>& FitModel::f_mhz() const { return impl_->f; }

void FitModel::record(const std::vector<double>& x, DesignRecord& out, EndSteps& ends) const {
  const Impl& m = *impl_;
  std::vector<double> moves(m.dimension_at.size());
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const std::size_t at = m.dimension_at[i];
    moves[i] = x[at] - m.parameters[at].nominal;
  }
  m.builder.build(moves, out, ends);
}

bool FitModel::Impl::response(const std::vector<double>& x, ModelResponse& out) const {
  DesignRecord trial;
  EndSteps ends;
  std::vector<double> moves(dimension_at.size());
  for (std::size_t i = 0; i < moves.size(); ++i)
    moves[i] = x[dimension_at[i]] - parameters[dimension_at[i]].nominal;
  builder.build(moves, trial, ends);
  CoaxNetwork net = coax_network(trial, ends);
  // The step factors, on the distinct junctions (a distinct junction serves
  // places of one cross-section pair, so of one kind).
  std::vector<bool> scaled(static_cast<std::size_t>(net.distinct_junctions), false);
  for (int place = 0; place < net.junctions; ++place) {
    const std::size_t u = net.junction_at[static_cast<std::size_t>(place)];
    const std::size_t at =
        scale_at[static_cast<std::size_t>(kind_of_place[static_cast<std::size_t>(place)])];
    if (at == npos || scaled[u]) continue;
    scaled[u] = true;
    const auto scale = static_cast<float>(x[at]);
    CoaxNetwork::Junction& j = net.junction[u];
    j.c *= scale;
    j.step.inner_static *= scale;
    j.step.outer_static *= scale;
  }
  std::vector<TwoPort> rs(f_float.size());
  coax_cascades(net, f_float, rs);
  const double p1 = offset_at[0] == npos ? 0.0 : x[offset_at[0]];
  const double p2 = offset_at[1] == npos ? 0.0 : x[offset_at[1]];
  out.s11.resize(rs.size());
  out.s21.resize(rs.size());
  out.s22.resize(rs.size());
  bool finite = true;
  for (std::size_t k = 0; k < rs.size(); ++k) {
    const SParameters s = abcd_to_s(rs[k].v, z1, z2);
    const double a1 = beta(0, k) * p1;
    const double a2 = beta(1, k) * p2;
    out.s11[k] = s.s11 * std::polar(1.0, -2.0 * a1);
    out.s21[k] = s.s21 * std::polar(1.0, -(a1 + a2));
    out.s22[k] = s.s22 * std::polar(1.0, -2.0 * a2);
    finite = finite && all_finite(s);
  }
  return finite;
}

bool FitModel::response(const std::vector<double>& x, ModelResponse& out) const {
  return impl_->response(x, out);
}

void FitModel::offset_derivative(int port, const ModelResponse& r, ModelResponse& d) const {
  const Impl& m = *impl_;
  const std::size_t n = r.s11.size();
  d.s11.assign(n, 0.0);
  d.s21.resize(n);
  d.s22.assign(n, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    // d/dp of exp(-j beta p) is -j beta; a reflection passes the offset twice.
    const Complex by(0.0, -m.beta(port - 1, k));
    d.s21[k] = by * r.s21[k];
    (port == 1 ? d.s11[k] : d.s22[k]) = 2.0 * by * (port == 1 ? r.s11[k] : r.s22[k]);
  }
}

namespace {

double db_of(Complex s, double floor_db) {
  const double a = std::abs(s);
  const double db = a > 0.0 ? 20.0 * std::log10(a) : -std::numeric_limits<double>::infinity();
  return std::max(db, floor_db);
}

// The weighted residuals of a response against the measurement.
class Residuals {
 public:
  Residuals(const MeasuredTwoPort& m, const FitSettings& s) : m_(m), s_(s) {
    for (double w : {s.weight_s11, s.weight_s21, s.weight_s12, s.weight_s22})
      if (w != 0.0) ++per_point_;
    if (!s.magnitude_only) per_point_ *= 2;
  }
  int count() const { return per_point_ * static_cast<int>(m_.f_mhz.size()); }

  void of(const ModelResponse& r, std::vector<double>& out) const {
    out.resize(static_cast<std::size_t>(count()));
    std::size_t i = 0;
    for (std::size_t k = 0; k < m_.f_mhz.size(); ++k) {
      const double pw = s_.point_weights.empty() ? 1.0 : s_.point_weights[k];
      auto put = [&](double w, Complex model, Complex measured) {
        if (w == 0.0) return;
        if (s_.magnitude_only) {
          out[i++] = pw * w * (db_of(model, s_.floor_db) - db_of(measured, s_.floor_db));
          return;
        }
        const Complex d = model - measured;
        const double rel =
            s_.relative_floor > 0.0 ? 1.0 / std::max(std::abs(measured), s_.relative_floor) : 1.0;
        out[i++] = pw * w * rel * d.real();
        out[i++] = pw * w * rel * d.imag();
      };
      put(s_.weight_s11, r.s11[k], m_.s11[k]);
      put(s_.weight_s21, r.s21[k], m_.s21[k]);
      put(s_.weight_s12, r.s21[k], m_.s12[k]);
      put(s_.weight_s22, r.s22[k], m_.s22[k]);
    }
  }

  // The derivative of the residuals (complex mode) when the model's S11,
  // S21 and S22 change by ds11, ds21, ds22 per unit of a parameter.
  void derivative(const std::vector<Complex>& ds11, const std::vector<Complex>& ds21,
                  const std::vector<Complex>& ds22, double* column) const {
    std::size_t i = 0;
    for (std::size_t k = 0; k < m_.f_mhz.size(); ++k) {
      const double pw = s_.point_weights.empty() ? 1.0 : s_.point_weights[k];
      auto put = [&](double w, Complex d, Complex measured) {
        if (w == 0.0) return;
        const double rel =
            s_.relative_floor > 0.0 ? 1.0 / std::max(std::abs(measured), s_.relative_floor) : 1.0;
        column[i++] = pw * w * rel * d.real();
        column[i++] = pw * w * rel * d.imag();
      };
      put(s_.weight_s11, ds11[k], m_.s11[k]);
      put(s_.weight_s21, ds21[k], m_.s21[k]);
      put(s_.weight_s12, ds21[k], m_.s12[k]);
      put(s_.weight_s22, ds22[k], m_.s22[k]);
    }
  }

 private:
  const MeasuredTwoPort& m_;
  const FitSettings& s_;
  int per_point_ = 0;
};

std::string mhz_text(double f) {
  std::ostringstream t;
  t << f << " MHz";
  return t.str();
}

void check_measurement(const MeasuredTwoPort& m, const FitSettings& s) {
  const std::size_t n = m.f_mhz.size();
  if (m.s11.size() != n || m.s21.size() != n || m.s12.size() != n || m.s22.size() != n)
    throw FitFailure("the measured S-parameters are not one per frequency");
  if (!s.point_weights.empty() && s.point_weights.size() != n)
    throw FitFailure("the point weights are not one per measured frequency");
  if (s.band_high_mhz > 0.0 && std::none_of(m.f_mhz.begin(), m.f_mhz.end(), [&](double f) {
        return f >= s.band_low_mhz && f <= s.band_high_mhz;
      }))
    throw FitFailure("the measurement covers none of the filter's band (" +
                     mhz_text(s.band_low_mhz) + " to " + mhz_text(s.band_high_mhz) + ")");
  if (!(m.z1 > 0.0) || !(m.z2 > 0.0) || !std::isfinite(m.z1) || !std::isfinite(m.z2))
    throw FitFailure("the measured reference impedances are not positive");
  for (std::size_t k = 0; k < n; ++k) {
    if (!(m.f_mhz[k] > 0.0) || !std::isfinite(m.f_mhz[k]) ||
        (k > 0 && !(m.f_mhz[k] > m.f_mhz[k - 1])))
      throw FitFailure("the measured frequencies are not positive and rising (at " +
                       mhz_text(m.f_mhz[k]) + ")");
    for (const Complex v : {m.s11[k], m.s21[k], m.s12[k], m.s22[k]})
      if (!std::isfinite(v.real()) || !std::isfinite(v.imag()))
        throw FitFailure("a measured S-parameter is not finite at " + mhz_text(m.f_mhz[k]));
  }
}

// The Jacobian of the residuals at x, column-major: central differences of
// the model, analytic for the plane offsets.
bool jacobian(const FitModel& model, const Residuals& res, const FitSettings& s,
              const std::vector<double>& x, std::vector<double>& jac) {
  const std::vector<FitParameter>& params = model.parameters();
  const auto m = static_cast<std::size_t>(res.count());
  jac.assign(m * params.size(), 0.0);
  std::vector<std::size_t> numeric;
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < params.size(); ++i)
    (params[i].kind == FitParameterKind::kPlaneOffset ? offsets : numeric).push_back(i);
  std::atomic<bool> ok = true;
  share_pieces(s.threads, numeric.size(), [&](std::size_t piece) {
    const std::size_t i = numeric[piece];
    const double h = params[i].kind == FitParameterKind::kStepScale ? kScaleStep : kDimensionStepIn;
    std::vector<double> xp = x, xm = x;
    xp[i] += h;
    xm[i] -= h;
    ModelResponse rp, rm;
    std::vector<double> fp, fm;
    const bool good = model.response(xp, rp) && model.response(xm, rm);
    res.of(rp, fp);
    res.of(rm, fm);
    double* column = &jac[i * m];
    for (std::size_t k = 0; k < m; ++k) column[k] = (fp[k] - fm[k]) / (2.0 * h);
    if (!good) ok = false;
  });
  if (offsets.empty()) return ok;
  ModelResponse r, d;
  if (!model.response(x, r)) return false;
  for (std::size_t i : offsets) {
    model.offset_derivative(params[i].index, r, d);
    res.derivative(d.s11, d.s21, d.s22, &jac[i * m]);
  }
  return ok;
}

}  // namespace

namespace {

// The standard errors from the Jacobian at the solution: the diagonal of
// (J'J)^-1 times the residual variance. NaN where J'J cannot be inverted.
std::vector<double> standard_errors(const std::vector<double>& jac, const std::vector<double>& r,
                                    std::size_t n) {
  const std::size_t m = r.size();
  std::vector<double> se(n, kNaN);
  if (m <= n) return se;
  double squares = 0.0;
  for (const double v : r) squares += v * v;
  const double variance = squares / static_cast<double>(m - n);
  std::vector<double> jtj(n * n);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      double sum = 0.0;
      for (std::size_t k = 0; k < m; ++k) sum += jac[k + m * i] * jac[k + m * j];
      jtj[i + n * j] = sum;
    }
  const std::optional<std::vector<double>> diagonal = inverse_diagonal(jtj, n);
  if (!diagonal) return se;
  for (std::size_t i = 0; i < n; ++i) {
    const double v = (*diagonal)[i] * variance;
    se[i] = v >= 0.0 ? std::sqrt(v) : kNaN;
  }
  return se;
}

FitResidual residual_figures(const MeasuredTwoPort& m, const ModelResponse& r,
                             const std::vector<double>& weighted) {
  FitResidual out;
  double sum21 = 0.0, sum11 = 0.0;
  const double floor_db = -200.0;
  for (std::size_t k = 0; k < m.f_mhz.size(); ++k) {
    const double d21 = db_of(r.s21[k], floor_db) - db_of(m.s21[k], floor_db);
    const double d11 = db_of(r.s11[k], floor_db) - db_of(m.s11[k], floor_db);
    sum21 += d21 * d21;
    sum11 += d11 * d11;
    for (const auto& [d, name] : {std::pair{d21, "S21"}, std::pair{d11, "S11"}}) {
      if (std::fabs(d) > std::fabs(out.worst_db) || out.worst_of.empty()) {
        out.worst_db = d;
        out.worst_mhz = m.f_mhz[k];
        out.worst_of = name;
      }
    }
  }
  const auto n = static_cast<double>(m.f_mhz.size());
  out.rms_db_s21 = std::sqrt(sum21 / n);
  out.rms_db_s11 = std::sqrt(sum11 / n);
  double sum = 0.0;
  for (double v : weighted) sum += v * v;
  out.rms = weighted.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(weighted.size()));
  return out;
}

}  // namespace

FitResult fit_circuit(const DesignRecord& ds, const EndSteps& ends, const MeasuredTwoPort& m,
                      const FitSettings& s) {
  check_measurement(m, s);
  const FitModel model(ds, ends, m.f_mhz, m.z1, m.z2, s);
  const std::vector<FitParameter>& params = model.parameters();
  const std::size_t n = params.size();
  if (n == 0) throw FitFailure("nothing to fit: every parameter is fixed");
  if (m.f_mhz.size() < 2 * n)
    throw FitFailure("the measurement has " + std::to_string(m.f_mhz.size()) +
                     " frequencies, fewer than twice the " + std::to_string(n) +
                     " parameters of the fit");
  const Residuals res(m, s);
  FitResult out;
  out.parameters = params;
  out.f_mhz = m.f_mhz;
  out.z1 = m.z1;
  out.z2 = m.z2;
  const std::vector<double> start = model.nominal();
  if (!model.response(start, out.nominal_response)) {
    for (std::size_t k = 0; k < m.f_mhz.size(); ++k)
      if (!std::isfinite(std::abs(out.nominal_response.s21[k])) ||
          !std::isfinite(std::abs(out.nominal_response.s11[k])))
        throw FitFailure("the circuit model is not finite at " + mhz_text(m.f_mhz[k]) +
                         " (above a step's higher-order mode cutoff?)");
    throw FitFailure("the circuit model is not finite");
  }

  BoundedProblem p;
  p.start = start;
  for (const FitParameter& q : params) {
    p.lower.push_back(q.lower);
    p.upper.push_back(q.upper);
  }
  p.residuals = res.count();
  p.residual = [&](const std::vector<double>& x, std::vector<double>& r) {
    ModelResponse mr;
    model.response(x, mr);  // a response that is not finite gives residuals the solver avoids
    res.of(mr, r);
    return true;
  };
  p.jacobian = [&](const std::vector<double>& x, const std::vector<double>&,
                   std::vector<double>& jac) { return jacobian(model, res, s, x, jac); };
  p.max_evaluations = s.max_evaluations;
  const BoundedSolution sol = solve_bounded(p);
  out.iterations = sol.iterations;
  out.evaluations = sol.evaluations;
  out.solver_status = sol.status_text;
  if (!sol.converged) throw FitFailure("the fit did not converge: " + sol.status_text);
  out.fitted = sol.x;
  if (!model.response(out.fitted, out.fitted_response))
    throw FitFailure("the fitted circuit model is not finite at every measured frequency");
  std::vector<double> jac;
  if (!jacobian(model, res, s, out.fitted, jac))
    throw FitFailure("the circuit model is not finite near the fitted parameters");
  out.std_error = standard_errors(jac, sol.residual, n);
  for (std::size_t i = 0; i < n; ++i) {
    const double span = params[i].upper - params[i].lower;
    const double near = 1e-6 * (span > 0.0 ? span : 1.0);
    out.at_bound.push_back(out.fitted[i] - params[i].lower <= near ||
                           params[i].upper - out.fitted[i] <= near);
  }
  out.residual = residual_figures(m, out.fitted_response, sol.residual);
  model.record(out.fitted, out.fitted_record, out.fitted_ends);
  return out;
}

FitResult refer_to_reference(const DesignRecord& ds, const EndSteps& ends, const FitResult& built,
                             const FitResult& reference, const FitSettings& settings) {
  if (built.parameters.size() != reference.parameters.size())
    throw FitFailure("the reference was not fitted with the same parameters");
  FitResult out = built;
  out.measured_fitted = built.fitted;
  out.reference_fitted = reference.fitted;
  for (std::size_t i = 0; i < out.parameters.size(); ++i) {
    const FitParameter& p = out.parameters[i];
    if (p.name != reference.parameters[i].name)
      throw FitFailure("the reference was not fitted with the same parameters");
    if (p.kind == FitParameterKind::kStepScale) continue;
    out.fitted[i] = p.nominal + (built.fitted[i] - reference.fitted[i]);
    out.std_error[i] = std::hypot(built.std_error[i], reference.std_error[i]);
    out.at_bound[i] = built.at_bound[i] || reference.at_bound[i];
  }
  out.solver_status =
      "built part " + built.solver_status + "; reference " + reference.solver_status;
  const FitModel model(ds, ends, built.f_mhz, built.z1, built.z2, settings);
  model.record(out.fitted, out.fitted_record, out.fitted_ends);
  return out;
}

}  // namespace mx
