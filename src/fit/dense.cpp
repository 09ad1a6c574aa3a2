#include "fit/dense.h"

#include <Eigen/LU>

namespace mx {

namespace {

// The decomposition of a, or none when a is not a finite invertible n x n matrix.
std::optional<Eigen::FullPivLU<Eigen::MatrixXd>> decomposed(const std::vector<double>& a,
                                                            std::size_t n) {
  if (a.size() != n * n) return std::nullopt;
  const auto size = static_cast<Eigen::Index>(n);
  const Eigen::Map<const Eigen::MatrixXd> m(a.data(), size, size);
  if (!m.allFinite()) return std::nullopt;
  Eigen::FullPivLU<Eigen::MatrixXd> lu(m);
  if (!lu.isInvertible()) return std::nullopt;
  return lu;
}

}  // namespace

std::optional<std::vector<double>> solve_square(const std::vector<double>& a,
                                                const std::vector<double>& b) {
  const auto lu = decomposed(a, b.size());
  if (!lu) return std::nullopt;
  const auto n = static_cast<Eigen::Index>(b.size());
  const Eigen::VectorXd x = lu->solve(Eigen::Map<const Eigen::VectorXd>(b.data(), n));
  if (!x.allFinite()) return std::nullopt;
  return std::vector<double>(x.data(), x.data() + n);
}

std::optional<std::vector<double>> inverse_diagonal(const std::vector<double>& a, std::size_t n) {
  const auto lu = decomposed(a, n);
  if (!lu) return std::nullopt;
  const Eigen::MatrixXd inverse = lu->inverse();
  std::vector<double> d(n);
  for (std::size_t i = 0; i < n; ++i)
    d[i] = inverse(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(i));
  return d;
}

}  // namespace mx
