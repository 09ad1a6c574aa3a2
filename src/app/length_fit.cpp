#include "app/length_fit.h"

#include <ceres/ceres.h>

#include <cmath>
#include <complex>

#include "app/em_correct.h"

namespace mx {
namespace {

// The lengths move by about a tenth of a mil in a difference: well above the float model's
// rounding, well below the lengths' effect on the response.
constexpr double kRelativeStep = 1e-4;
constexpr int kMostIterations = 100;
// A length the fit may not go below, inch.
constexpr double kShortestIn = 1e-4;

struct Residuals {
  const DesignRecord& ds;
  const EndSteps& ends;
  std::vector<float> f;
  std::vector<std::complex<double>> s11, s21;

  bool operator()(double const* const* p, double* r) const {
    const std::vector<double> x(p[0], p[0] + ds.design.sections);
    const FullWaveResponse c = circuit_response(with_lengths(ds, x), ends, f);
    for (std::size_t k = 0; k < f.size(); ++k) {
      const std::complex<double> d11 = c.s11[k] - s11[k], d21 = c.s21[k] - s21[k];
      r[4 * k] = d11.real();
      r[4 * k + 1] = d11.imag();
      r[4 * k + 2] = d21.real();
      r[4 * k + 3] = d21.imag();
      for (int i = 0; i < 4; ++i)
        if (!std::isfinite(r[4 * k + static_cast<std::size_t>(i)])) return false;
    }
    return true;
  }
};

}  // namespace

std::vector<double> fit_lengths(const DesignRecord& ds, const EndSteps& ends,
                                const FullWaveResponse& fw, const std::vector<double>& start) {
  // The band: up to kFitBandOver3Db x the last frequency below 3 dB of loss before it rises.
  double passed = 0;
  for (std::size_t k = 0; k < fw.f_mhz.size(); ++k) {
    if (std::abs(fw.s21[k]) < std::pow(10.0, -3.0 / 20.0)) break;
    passed = fw.f_mhz[k];
  }
  auto* residuals = new Residuals{ds, ends, {}, {}, {}};
  for (std::size_t k = 0; k < fw.f_mhz.size(); ++k) {
    if (fw.f_mhz[k] <= 0.0 || fw.f_mhz[k] > kFitBandOver3Db * passed) continue;
    residuals->f.push_back(static_cast<float>(fw.f_mhz[k]));
    residuals->s11.push_back(fw.s11[k]);
    residuals->s21.push_back(fw.s21[k]);
  }
  const int n = static_cast<int>(start.size());
  if (residuals->f.size() * 4 < start.size()) {
    delete residuals;
    throw FieldSolverError("the field solution has too few passband frequencies to fit");
  }
  ceres::NumericDiffOptions diff;
  diff.relative_step_size = kRelativeStep;
  auto* cost = new ceres::DynamicNumericDiffCostFunction<Residuals, ceres::CENTRAL>(
      residuals, ceres::TAKE_OWNERSHIP, diff);
  cost->AddParameterBlock(n);
  cost->SetNumResiduals(static_cast<int>(4 * residuals->f.size()));
  std::vector<double> x = start;
  ceres::Problem problem;
  problem.AddResidualBlock(cost, nullptr, x.data());
  for (int i = 0; i < n; ++i) problem.SetParameterLowerBound(x.data(), i, kShortestIn);
  ceres::Solver::Options options;
  options.linear_solver_type = ceres::DENSE_QR;
  options.max_num_iterations = kMostIterations;
  options.logging_type = ceres::SILENT;
  options.minimizer_progress_to_stdout = false;
  ceres::Solver::Summary summary;
  ceres::Solve(options, &problem, &summary);
  if (summary.termination_type != ceres::CONVERGENCE || !summary.IsSolutionUsable() ||
      !std::isfinite(summary.final_cost))
    throw FieldSolverError("the fit of the circuit model to the field solution failed: " +
                           summary.message);
  for (const double v : x)
    if (!std::isfinite(v) || v <= 0.0)
      throw FieldSolverError("the fit of the circuit model gave a length that is not positive");
  return x;
}

}  // namespace mx
