// Small dense linear algebra for the fitter and the full-wave correction,
// in plain vectors. They are compiled in least_squares.cpp, beside the
// solver, so that Eigen's templates compile once, not in every file that
// solves a system (each inclusion of Eigen costs seconds of a first build).
//
// A matrix is an n x n square, column-major: a[i + n * j] is row i, column j.
#pragma once

#include <optional>
#include <vector>

namespace mx {

// The x with a x = b (n = b.size()), by QR decomposition with column pivoting.
// None when a is singular or holds a number that is not finite.
std::optional<std::vector<double>> solve_square(const std::vector<double>& a,
                                                const std::vector<double>& b);

// The diagonal of the inverse of a (n x n). None when a is singular or holds a
// number that is not finite.
std::optional<std::vector<double>> inverse_diagonal(const std::vector<double>& a, std::size_t n);

}  // namespace mx
