// Bounded nonlinear least squares: Eigen's Levenberg-Marquardt (the MINPACK
// lmder algorithm, unsupported/Eigen/LevenbergMarquardt) on parameters held
// within bounds by a smooth change of variable.
//
// The solver itself knows no bounds. Each bounded parameter is therefore
// solved for through x = mid + half sin(u - 1) (mid and half the centre and
// half width of its bounds), the transformation MINUIT and lmfit use: every u
// gives an x within the bounds, and the Jacobian the solver sees is the one
// in x times dx/du. (u starts at 1, not 0, for the middle of the bounds, so
// that the solver's relative step test has a scale.) At a bound dx/du is 0
// and the parameter stays there unless the fit pulls it back.
//
// The caller gives the residuals and their Jacobian in x; a residual that is
// not finite makes the step that led to it look very bad, so the solver
// retreats instead of carrying NaN on. Eigen is header-only: the program
// links no library for it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mx {

struct BoundedProblem {
  std::vector<double> start;  // inside [lower, upper]
  std::vector<double> lower, upper;
  int residuals = 0;
  // The residuals at x (r has `residuals` entries); false stops the solver.
  std::function<bool(const std::vector<double>& x, std::vector<double>& r)> residual;
  // The Jacobian at x, column-major (residuals x parameters), in x; r holds
  // the residuals at x. false stops the solver.
  std::function<bool(const std::vector<double>& x, const std::vector<double>& r,
                     std::vector<double>& jacobian)>
      jacobian;
  int max_evaluations = 0;   // of residual; 0: 100 x (parameters + 1)
  double tolerance = 1e-10;  // relative reduction of the sum of squares and of the step
};

struct BoundedSolution {
  std::vector<double> x;
  std::vector<double> residual;  // at x
  bool converged = false;
  int status = 0;           // Eigen's LevenbergMarquardtSpace::Status
  std::string status_text;  // what status means, one phrase
  int iterations = 0;
  int evaluations = 0;  // of residual
  int jacobians = 0;
};

// Minimizes the sum of squares of problem.residual within the bounds.
// converged is false when the solver ran out of evaluations, was stopped by
// the caller, or was given an improper problem (fewer residuals than
// parameters, a start outside the bounds).
BoundedSolution solve_bounded(const BoundedProblem& problem);

}  // namespace mx
