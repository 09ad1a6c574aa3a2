#include "app/length_fit.h"

#include <cmath>

#include "app/em_correct.h"
#include "fit/fit.h"

namespace mx {

std::vector<double> fit_lengths(const DesignRecord& ds, const EndSteps& ends,
                                const FullWaveResponse& fw, const std::vector<double>& start) {
  // The band: up to kFitBandOver3Db x the last frequency below 3 dB of loss before it rises.
  double passed = 0;
  for (std::size_t k = 0; k < fw.f_mhz.size(); ++k) {
    if (std::abs(fw.s21[k]) < std::pow(10.0, -3.0 / 20.0)) break;
    passed = fw.f_mhz[k];
  }
  MeasuredTwoPort m;
  m.z1 = m.z2 = static_cast<double>(ds.design.system_impedance);
  for (std::size_t k = 0; k < fw.f_mhz.size(); ++k) {
    if (fw.f_mhz[k] <= 0.0 || fw.f_mhz[k] > kFitBandOver3Db * passed) continue;
    m.f_mhz.push_back(fw.f_mhz[k]);
    m.s11.push_back(fw.s11[k]);
    m.s21.push_back(fw.s21[k]);
    m.s12.push_back(fw.s21[k]);  // not weighted: the fit compares S11 and S21
    m.s22.push_back(fw.s11[k]);
  }
  FitSettings settings;
  settings.lengths = true;
  settings.step_scale = StepScaleFit::kNone;
  settings.plane_offsets = false;
  try {
    const FitResult r = fit_circuit(with_lengths(ds, start), ends, m, settings);
    std::vector<double> x;
    for (std::size_t i = 0; i < r.parameters.size(); ++i) {
      if (r.parameters[i].kind != FitParameterKind::kLength) continue;
      if (!std::isfinite(r.fitted[i]) || r.fitted[i] <= 0.0)
        throw FieldSolverError("the fit of the circuit model gave a length that is not positive");
      if (r.at_bound[i])
        throw FieldSolverError("the fit of the circuit model ended on the bound of " +
                               r.parameters[i].name);
      x.push_back(r.fitted[i]);
    }
    if (x.size() != start.size())
      throw FieldSolverError("the fit gave " + std::to_string(x.size()) + " lengths, not " +
                             std::to_string(start.size()));
    return x;
  } catch (const FitFailure& e) {
    throw FieldSolverError(std::string("the fit of the circuit model to the field solution: ") +
                           e.what());
  }
}

}  // namespace mx
