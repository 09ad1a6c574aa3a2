#include "fit/least_squares.h"

#include <Eigen/Core>
#include <Eigen/QR>
#include <cmath>
#include <cstddef>
#include <optional>
#include <unsupported/Eigen/LevenbergMarquardt>

#include "fit/dense.h"

namespace mx {
namespace {

// Where the middle of the bounds lies in u (see the header).
constexpr double kMiddleU = 1.0;
// What a residual that is not finite counts as: beyond any residual of a fit.
constexpr double kNotFinite = 1.0e6;

struct Bounds {
  std::vector<double> mid, half;

  double x_of(std::size_t i, double u) const { return mid[i] + half[i] * std::sin(u - kMiddleU); }
  double dx_du(std::size_t i, double u) const { return half[i] * std::cos(u - kMiddleU); }
  double u_of(std::size_t i, double x) const {
    if (half[i] <= 0.0) return kMiddleU;
    const double s = (x - mid[i]) / half[i];
    return kMiddleU + std::asin(s < -1.0 ? -1.0 : (s > 1.0 ? 1.0 : s));
  }
};

class Functor : public Eigen::DenseFunctor<double> {
 public:
  Functor(const BoundedProblem& p, const Bounds& b)
      : Eigen::DenseFunctor<double>(static_cast<int>(p.start.size()), p.residuals),
        p_(p),
        b_(b),
        x_(p.start.size()),
        r_(static_cast<std::size_t>(p.residuals)) {}

  int operator()(const InputType& u, ValueType& f) {
    ++evaluations;
    if (!evaluate(u)) return -1;
    for (Eigen::Index k = 0; k < f.size(); ++k) f[k] = r_[static_cast<std::size_t>(k)];
    return 0;
  }

  int df(const InputType& u, JacobianType& jac) {
    ++jacobians;
    // The solver asks for the Jacobian where it last evaluated the residuals.
    if (!same_point(u) && !evaluate(u)) return -1;
    std::vector<double> j(r_.size() * x_.size());
    if (!p_.jacobian(x_, r_, j)) return -1;
    const std::size_t m = r_.size();
    for (std::size_t c = 0; c < x_.size(); ++c) {
      const double chain = b_.dx_du(c, u[static_cast<Eigen::Index>(c)]);
      for (std::size_t k = 0; k < m; ++k) {
        const double v = j[c * m + k] * chain;
        jac(static_cast<Eigen::Index>(k), static_cast<Eigen::Index>(c)) =
            std::isfinite(v) ? v : 0.0;
      }
    }
    return 0;
  }

  std::vector<double> x_of(const InputType& u) const {
    std::vector<double> x(x_.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = b_.x_of(i, u[static_cast<Eigen::Index>(i)]);
    return x;
  }

  int evaluations = 0;
  int jacobians = 0;

 private:
  bool evaluate(const InputType& u) {
    last_u_ = u;
    x_ = x_of(u);
    if (!p_.residual(x_, r_)) return false;
    for (double& v : r_)
      if (!std::isfinite(v)) v = kNotFinite;
    return true;
  }
  bool same_point(const InputType& u) const {
    return last_u_.size() == u.size() && (last_u_.array() == u.array()).all();
  }

  const BoundedProblem& p_;
  const Bounds& b_;
  std::vector<double> x_;
  std::vector<double> r_;
  InputType last_u_;
};

const char* status_text(Eigen::LevenbergMarquardtSpace::Status s) {
  using namespace Eigen::LevenbergMarquardtSpace;
  switch (s) {
    case RelativeReductionTooSmall:
      return "converged: the sum of squares no longer decreases";
    case RelativeErrorTooSmall:
      return "converged: the parameters no longer change";
    case RelativeErrorAndReductionTooSmall:
      return "converged: neither the parameters nor the sum of squares change";
    case CosinusTooSmall:
      return "converged: the residuals are orthogonal to the Jacobian";
    case FtolTooSmall:
    case XtolTooSmall:
    case GtolTooSmall:
      return "converged to the precision of the model";
    case TooManyFunctionEvaluation:
      return "no convergence within the evaluations allowed";
    case ImproperInputParameters:
      return "improper problem (fewer residuals than parameters, or bad bounds)";
    case UserAsked:
      return "stopped by the model";
    default:
      return "not run";
  }
}

bool converged(Eigen::LevenbergMarquardtSpace::Status s) {
  using namespace Eigen::LevenbergMarquardtSpace;
  return s == RelativeReductionTooSmall || s == RelativeErrorTooSmall ||
         s == RelativeErrorAndReductionTooSmall || s == CosinusTooSmall || s == FtolTooSmall ||
         s == XtolTooSmall || s == GtolTooSmall;
}

}  // namespace

BoundedSolution solve_bounded(const BoundedProblem& p) {
  BoundedSolution out;
  out.x = p.start;
  const std::size_t n = p.start.size();
  bool proper = n > 0 && p.lower.size() == n && p.upper.size() == n &&
                p.residuals >= static_cast<int>(n) && p.residual && p.jacobian;
  Bounds b;
  for (std::size_t i = 0; proper && i < n; ++i) {
    if (!(p.lower[i] <= p.start[i] && p.start[i] <= p.upper[i])) proper = false;
    b.mid.push_back(0.5 * (p.lower[i] + p.upper[i]));
    b.half.push_back(0.5 * (p.upper[i] - p.lower[i]));
  }
  if (!proper) {
    out.status = Eigen::LevenbergMarquardtSpace::ImproperInputParameters;
    out.status_text = status_text(Eigen::LevenbergMarquardtSpace::ImproperInputParameters);
    return out;
  }
  Functor f(p, b);
  Eigen::VectorXd u(static_cast<Eigen::Index>(n));
  for (std::size_t i = 0; i < n; ++i) u[static_cast<Eigen::Index>(i)] = b.u_of(i, p.start[i]);
  Eigen::LevenbergMarquardt<Functor> lm(f);
  lm.setXtol(p.tolerance);
  lm.setFtol(p.tolerance);
  lm.setMaxfev(p.max_evaluations > 0 ? p.max_evaluations : 100 * (static_cast<int>(n) + 1));
  const Eigen::LevenbergMarquardtSpace::Status s = lm.minimize(u);
  out.status = s;
  out.status_text = status_text(s);
  out.converged = converged(s);
  out.iterations = static_cast<int>(lm.iterations());
  out.evaluations = f.evaluations;
  out.jacobians = f.jacobians;
  out.x = f.x_of(u);
  out.residual.resize(static_cast<std::size_t>(p.residuals));
  if (!p.residual(out.x, out.residual)) out.converged = false;
  return out;
}

// The small dense algebra of fit/dense.h, with the QR decomposition with
// column pivoting the solver instantiates already (rank-revealing as a fully
// pivoted LU is).
namespace {

// The decomposition of a, or none when a is not a finite invertible n x n matrix.
std::optional<Eigen::ColPivHouseholderQR<Eigen::MatrixXd>> decomposed(const std::vector<double>& a,
                                                                      std::size_t n) {
  if (a.size() != n * n) return std::nullopt;
  const auto size = static_cast<Eigen::Index>(n);
  const Eigen::Map<const Eigen::MatrixXd> m(a.data(), size, size);
  if (!m.allFinite()) return std::nullopt;
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(m);
  if (!qr.isInvertible()) return std::nullopt;
  return qr;
}

}  // namespace

std::optional<std::vector<double>> solve_square(const std::vector<double>& a,
                                                const std::vector<double>& b) {
  const auto qr = decomposed(a, b.size());
  if (!qr) return std::nullopt;
  const auto n = static_cast<Eigen::Index>(b.size());
  const Eigen::VectorXd x = qr->solve(Eigen::Map<const Eigen::VectorXd>(b.data(), n));
  if (!x.allFinite()) return std::nullopt;
  return std::vector<double>(x.data(), x.data() + n);
}

std::optional<std::vector<double>> inverse_diagonal(const std::vector<double>& a, std::size_t n) {
  const auto qr = decomposed(a, n);
  if (!qr) return std::nullopt;
  const Eigen::MatrixXd inverse = qr->inverse();
  std::vector<double> d(n);
  for (std::size_t i = 0; i < n; ++i)
    d[i] = inverse(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(i));
  return d;
}

}  // namespace mx
