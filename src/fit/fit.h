// Fitting the coaxial filter's circuit model to a measured two-port: which
// dimension of a built filter is off.
//
// The model is the analysis's own (coax_network, coax_cascades: the float
// chain of lossy lines and step capacitances, with the losses of the record),
// so data the program produced is fitted back to its dimensions exactly. A
// fit varies, each within bounds:
//   Lk  the length of section k (inch);
//   Dk  the inner diameter of section k of an entered circuit, or "D high" /
//       "D low" for the line kinds of a synthesized filter (inch; moved as
//       the tolerance study moves them, tolerance/dimensions.h);
//   Cstep, or Cstep1, Cstep2, ... per junction kind: a factor on the step
//       capacitances (1 nominal), which absorbs the closed-form step model's
//       error; a junction kind is one pair of cross-sections, whichever way
//       round (the worked example has two: end line to disc, disc to rod).
//       Held at 1 unless asked for: a disc's capacitance and its steps' add
//       up, so a free factor trades against the discs' lengths, which the
//       data then leave uncertain by mils (README, "The built filter
//       measured");
//   P1, P2  a reference-plane offset at port 1 and port 2 (inch, 0 nominal):
//       a length of lossless line of the end line's dielectric, matched to the
//       port's reference, between the filter's end face and the measured
//       plane (connectors and fixtures); positive puts the plane outside the
//       filter. Offsets change only phases: a magnitude-only fit leaves them out.
// The residuals are, at every measured frequency, the weighted complex
// differences S(model) - S(measured) of S11 and S21 (and of S22 and S12 when
// they are weighted), or with magnitude_only the differences of |S| in dB.
// The derivatives are central differences of the float model (a quarter of
// a mil, a thousandth of the step factor) and analytic for the plane offsets;
// the solver is Eigen's Levenberg-Marquardt (least_squares.h). Standard
// errors come from the Jacobian at the solution: sqrt(diag((J'J)^-1) s^2),
// s^2 the weighted sum of squares over its degrees of freedom.
//
// A fit that does not converge, or whose model is not finite at a measured
// frequency, throws FitFailure with one line saying why; so does a measured
// two-port with fewer than twice as many frequencies as free parameters.
#pragma once

#include <complex>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "model/design_record.h"

namespace mx {

// The cross-section of line i of the filter of ds as the analysis builds it:
// 0 the source line, 1..N the sections, N+1 the load line (a synthesized
// filter's sections take the diameters of their line kinds).
struct LineSection {
  float outer = 0, inner = 0, er = 1;  // inch
};
LineSection line_section(const DesignRecord& ds, int i);

// A measured (or simulated) two-port: S-parameters at rising frequencies,
// referred to the real reference impedances z1 at port 1 and z2 at port 2.
struct MeasuredTwoPort {
  std::vector<double> f_mhz;
  std::vector<std::complex<double>> s11, s21, s12, s22;  // as long as f_mhz
  double z1 = 50, z2 = 50;                               // ohm
};

// The name of a numbered parameter: numbered("L", 3) is "L3".
std::string numbered(const char* prefix, int k);

enum class FitParameterKind { kLength, kInnerDiameter, kStepScale, kPlaneOffset };

// How many step-capacitance factors a fit frees.
enum class StepScaleFit { kNone, kCommon, kPerKind };

struct FitParameter {
  FitParameterKind kind = FitParameterKind::kLength;
  // Section 1..N (a length or an entered inner diameter), kHighLine or
  // kLowLine (a synthesized kind's inner diameter), the junction kind from 1
  // (0: the common factor), or the port 1 or 2.
  int index = 0;
  std::string name;  // "L3", "D3", "D high", "Cstep", "Cstep2", "P1"
  double nominal = 0;
  double lower = 0, upper = 0;
  std::vector<int> junctions;  // a step factor: the junctions it scales (j between lines j, j+1)
};

struct FitSettings {
  // What is free.
  bool lengths = true;
  bool inner_diameters = false;
  StepScaleFit step_scale = StepScaleFit::kNone;
  bool plane_offsets = true;       // never with magnitude_only
  std::vector<std::string> fixed;  // names held at their nominal values ("L4", "P2", ...)
  // What is compared.
  bool magnitude_only = false;
  double weight_s11 = 1, weight_s21 = 1, weight_s12 = 0, weight_s22 = 0;
  std::vector<double> point_weights;  // one per measured frequency; empty: all 1
  // Above 0: each complex difference is divided by |S measured|, but by no
  // less than this: relative errors, as a network analyser's trace noise is,
  // which gives the stopband its weight. 0: plain differences.
  double relative_floor = 0;
  double floor_db = -80;  // |S| below this is taken as this (magnitude_only)
  // The filter's band, MHz: a measurement with no frequency in it is refused.
  // band_high_mhz 0: not checked.
  double band_low_mhz = 0, band_high_mhz = 0;
  // Bounds: each length within nominal +/- length_bound_in (never below 0),
  // each inner diameter within +/- diameter_bound_in (and inside its bore),
  // each step factor within [scale_lower, scale_upper], each offset within
  // +/- offset_bound_in.
  double length_bound_in = 0.05;
  double diameter_bound_in = 0.01;
  double scale_lower = 0.25, scale_upper = 4;
  double offset_bound_in = 1.0;
  int max_evaluations = 0;  // of the model; 0: the solver's default
  int threads = 1;          // sharing the columns of the Jacobian
};

struct FitFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The S-parameters of the model at the measured frequencies.
struct ModelResponse {
  std::vector<std::complex<double>> s11, s21, s22;  // S12 is S21: the filter is reciprocal
};

// The coaxial filter of a record as a function of the fit's parameters.
class FitModel {
 public:
  // The filter of ds (a coaxial analysis's record: an entered circuit, or the
  // distributed synthesis with its end steps) at the frequencies f_mhz,
  // referred to z1 and z2, with the parameters settings frees.
  FitModel(const DesignRecord& ds, const EndSteps& ends, const std::vector<double>& f_mhz,
           double z1, double z2, const FitSettings& settings);
  ~FitModel();
  FitModel(const FitModel&) = delete;
  FitModel& operator=(const FitModel&) = delete;

  const std::vector<FitParameter>& parameters() const;
  std::vector<double> nominal() const;
  const std::vector<double>& f_mhz() const;

  // The response with the parameters at x (in the order of parameters());
  // false when it is not finite at some frequency.
  bool response(const std::vector<double>& x, ModelResponse& out) const;
  // The change of the response r per inch of plane offset at port 1 or 2.
  void offset_derivative(int port, const ModelResponse& r, ModelResponse& d) const;

  // The circuit with the dimensions of x (the step factors and plane offsets
  // are no part of a record).
  void record(const std::vector<double>& x, DesignRecord& out, EndSteps& ends) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// How well the fitted model matches the measurement.
struct FitResidual {
  double rms_db_s21 = 0;  // rms over the frequencies of 20 log10 |S21 fit| - 20 log10 |S21 meas|
  double rms_db_s11 = 0;
  double worst_db = 0;  // the largest of those differences (either parameter), dB
  double worst_mhz = 0;
  std::string worst_of;  // "S21" or "S11"
  double rms = 0;        // sqrt(sum of squares of the weighted residuals / their count)
};

struct FitResult {
  std::vector<FitParameter> parameters;
  std::vector<double> fitted;     // one per parameter
  std::vector<double> std_error;  // one per parameter; NaN when the Jacobian cannot tell
  std::vector<bool> at_bound;     // the fit ended on a bound of the parameter
  FitResidual residual;
  std::vector<double> f_mhz;
  double z1 = 50, z2 = 50;  // the references of the measurement and the responses
  ModelResponse nominal_response, fitted_response;
  int iterations = 0, evaluations = 0;
  std::string solver_status;
  DesignRecord fitted_record;  // the circuit with the fitted dimensions
  EndSteps fitted_ends;
  // Referred to a reference (refer_to_reference): the two fits it came from.
  std::vector<double> measured_fitted, reference_fitted;
};

// Fits the filter of ds (as FitModel takes it) to the measurement.
FitResult fit_circuit(const DesignRecord& ds, const EndSteps& ends, const MeasuredTwoPort& m,
                      const FitSettings& settings);

// The fit of a built part referred to the fit of a reference: the same
// circuit fitted the same way to a measurement (or a full-wave simulation) of
// the part as designed. Each dimension and plane offset becomes the nominal
// plus the difference of the two fits, with the standard errors of both
// combined, so that what the circuit model gets wrong in both (the
// closed-form steps, a field solver's dispersion) cancels; the step factors,
// the residual and the responses stay those of the built part's fit. Both
// fits must have the same parameters.
FitResult refer_to_reference(const DesignRecord& ds, const EndSteps& ends, const FitResult& built,
                             const FitResult& reference, const FitSettings& settings);

}  // namespace mx
