// Small dense linear algebra for the fitter and the full-wave correction,
// in plain vectors: Eigen's templates compile in this layer's dense.cpp and
// least_squares.cpp only, not in every file that solves a system (each
// inclusion of Eigen costs seconds of a first build).
//
// A matrix is an n x n square, column-major: a[i + n * j] is row i, column j.
#pragma once

#include <optional>
#include <vector>

namespace mx {

// The x with a x = b (n = b.size()), by LU decomposition with full pivoting.
// None when a is singular or holds a number that is not finite.
std::optional<std::vector<double>> solve_square(const std::vector<double>& a,
                                                const std::vector<double>& b);

// The diagonal of the inverse of a (n x n). None when a is singular or holds a
// number that is not finite.
std::optional<std::vector<double>> inverse_diagonal(const std::vector<double>& a, std::size_t n);

}  // namespace mx
