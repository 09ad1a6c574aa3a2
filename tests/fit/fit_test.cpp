// The fitter on data the program's own analysis produced: a built filter
// with known length errors is fitted back to its dimensions exactly, the
// step factor to 1 and the plane offsets to 0; with noise of a network
// analyser the errors come back within half a mil; and a measurement the fit
// cannot use is refused with its reason.
#include "fit/fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fit_designs.h"

namespace mx {
namespace {

using namespace fit_test;

double value_of(const FitResult& r, const std::string& name) {
  for (std::size_t i = 0; i < r.parameters.size(); ++i)
    if (r.parameters[i].name == name) return r.fitted[i];
  ADD_FAILURE() << "no parameter " << name;
  return 0.0;
}

void expect_recovered(const Design& nominal, const FitResult& r, double within_in) {
  for (int k = 1; k <= 7; ++k) {
    const double l = static_cast<double>(nominal.ds.control.origin == Origin::kDistributedSynthesis
                                             ? nominal.ds.coax.length(k)
                                             : nominal.ds.entered.length(k));
    EXPECT_NEAR(value_of(r, "L" + std::to_string(k)) - l, kErrors[k], within_in) << "L" << k;
  }
}

TEST(Fit, RecoversTheLengthsOfAnEnteredCircuitExactly) {
  const Design nominal = coax7_example();
  const Design b = built(nominal);
  FitSettings s;
  s.step_scale = StepScaleFit::kCommon;
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), s);
  ASSERT_EQ(r.parameters.size(), 7u + 1u + 2u);  // L1..L7, Cstep, P1, P2
  expect_recovered(nominal, r, 1e-6);
  // The step factor is the least determined parameter (the float model's
  // response moves by a few 1e-7 over 1e-5 of it).
  EXPECT_NEAR(value_of(r, "Cstep"), 1.0, 1e-4);
  EXPECT_NEAR(value_of(r, "P1"), 0.0, 1e-6);
  EXPECT_NEAR(value_of(r, "P2"), 0.0, 1e-6);
  EXPECT_LT(r.residual.rms_db_s21, 1e-5);
  // The fitted record is the built circuit.
  for (int k = 1; k <= 7; ++k)
    EXPECT_NEAR(r.fitted_record.entered.length(k), b.ds.entered.length(k), 1e-6f);
}

TEST(Fit, RecoversTheLengthsOfASynthesizedFilterExactly) {
  const Design nominal = worked_example();
  const Design b = built(nominal);
  FitSettings s;
  s.step_scale = StepScaleFit::kPerKind;
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), s);
  expect_recovered(nominal, r, 1e-6);
  for (const FitParameter& p : r.parameters)
    if (p.kind == FitParameterKind::kStepScale) {
      EXPECT_NEAR(value_of(r, p.name), 1.0, 1e-4) << p.name;
    }
}

// The program's own data hold no step-model error, so the step factor stays
// fixed: freed, it trades against the lengths of the discs (their capacitance
// and the steps' add up), which the noise then leaves uncertain by a few mil.
TEST(Fit, FindsTheErrorsThroughTheNoiseOfANetworkAnalyser) {
  const Design nominal = coax7_example();
  const Design b = built(nominal);
  FitSettings s;
  s.step_scale = StepScaleFit::kNone;
  const MeasuredTwoPort m = measure(b.ds, b.ends, 0.01, 0.1);
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, m, s);
  expect_recovered(nominal, r, 0.0005);
  EXPECT_NEAR(r.residual.rms_db_s21, 0.01, 0.002);  // the noise, and nothing more
  for (std::size_t i = 0; i < r.parameters.size(); ++i) {
    EXPECT_TRUE(std::isfinite(r.std_error[i])) << r.parameters[i].name;
    if (r.parameters[i].kind == FitParameterKind::kLength) {
      EXPECT_LT(r.std_error[i], 0.0005);
    }
  }
  // Freed, the step factor makes the discs' lengths uncertain, and says so.
  s.step_scale = StepScaleFit::kCommon;
  const FitResult free = fit_circuit(nominal.ds, nominal.ends, m, s);
  EXPECT_GT(free.std_error[0], 0.002);  // L1
  EXPECT_LT(free.std_error[1], 0.001);  // L2, a rod
}

TEST(Fit, RelativeDifferencesWeighTheStopband) {
  const Design nominal = coax7_example();
  const Design b = built(nominal);
  FitSettings s;
  s.step_scale = StepScaleFit::kNone;
  const MeasuredTwoPort m = measure(b.ds, b.ends, 0.01, 0.1);
  const FitResult plain = fit_circuit(nominal.ds, nominal.ends, m, s);
  s.relative_floor = 0.001;
  const FitResult relative = fit_circuit(nominal.ds, nominal.ends, m, s);
  expect_recovered(nominal, relative, 0.0005);
  EXPECT_LT(relative.std_error[1], 0.5 * plain.std_error[1]);  // L2
}

// A measurement the fit cannot use: one line saying why.
TEST(Fit, RefusesWhatItCannotFit) {
  const Design nominal = coax7_example();
  const MeasuredTwoPort good = measure(nominal.ds, nominal.ends);
  struct Case {
    const char* what;
    void (*spoil)(MeasuredTwoPort&, FitSettings&);
    const char* message;
  };
  const Case cases[] = {
      {"too few frequencies",
       [](MeasuredTwoPort& m, FitSettings&) {
         for (auto* v : {&m.s11, &m.s21, &m.s12, &m.s22}) v->resize(17);
         m.f_mhz.resize(17);
       },
       "fewer than twice the 9 parameters"},
      {"falling frequencies", [](MeasuredTwoPort& m, FitSettings&) { m.f_mhz[5] = m.f_mhz[4]; },
       "not positive and rising"},
      {"not finite",
       [](MeasuredTwoPort& m, FitSettings&) {
         m.s21[3] = {NAN, 0.0};
       },
       "not finite at 40 MHz"},
      {"bad reference", [](MeasuredTwoPort& m, FitSettings&) { m.z2 = 0.0; },
       "reference impedances"},
      {"everything fixed",
       [](MeasuredTwoPort&, FitSettings& s) {
         s.lengths = false;
         s.step_scale = StepScaleFit::kNone;
         s.plane_offsets = false;
       },
       "nothing to fit"},
      {"out of the band",
       [](MeasuredTwoPort&, FitSettings& s) {
         s.band_low_mhz = 4000.0;
         s.band_high_mhz = 5000.0;
       },
       "none of the filter's band"},
  };
  for (const Case& c : cases) {
    MeasuredTwoPort m = good;
    FitSettings s;
    c.spoil(m, s);
    try {
      fit_circuit(nominal.ds, nominal.ends, m, s);
      ADD_FAILURE() << c.what << ": fitted";
    } catch (const FitFailure& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

TEST(Fit, MagnitudeOnlyLeavesThePlanesOut) {
  const Design nominal = coax7_example();
  const Design b = built(nominal);
  FitSettings s;
  s.magnitude_only = true;
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), s);
  for (const FitParameter& p : r.parameters) EXPECT_NE(p.kind, FitParameterKind::kPlaneOffset);
  expect_recovered(nominal, r, 1e-5);
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

using namespace fit_test;

// A stand-in for a field solution: the program's model with every step
// capacitance 30 % larger, which a fit with the factor held at 1 gets wrong.
MeasuredTwoPort with_larger_steps(const Design& d) {
  FitSettings s;
  s.plane_offsets = false;
  s.step_scale = StepScaleFit::kCommon;
  const FitModel model(d.ds, d.ends, frequencies(), static_cast<double>(d.ds.ports.rs),
                       static_cast<double>(d.ds.ports.rl), s);
  std::vector<double> x = model.nominal();
  x.back() = 1.3;  // Cstep, after the lengths
  ModelResponse r;
  EXPECT_TRUE(model.response(x, r));
  MeasuredTwoPort m;
  m.f_mhz = frequencies();
  m.z1 = static_cast<double>(d.ds.ports.rs);
  m.z2 = static_cast<double>(d.ds.ports.rl);
  m.s11 = r.s11;
  m.s21 = r.s21;
  m.s12 = r.s21;
  m.s22 = r.s22;
  return m;
}

TEST(Fit, AReferenceOfThePartAsDesignedCancelsTheModelsError) {
  const Design nominal = coax7_example();
  const Design b = built(nominal);
  FitSettings s;
  s.step_scale = StepScaleFit::kNone;
  const FitResult absolute = fit_circuit(nominal.ds, nominal.ends, with_larger_steps(b), s);
  const FitResult reference = fit_circuit(nominal.ds, nominal.ends, with_larger_steps(nominal), s);
  const FitResult referred = refer_to_reference(nominal.ds, nominal.ends, absolute, reference, s);
  double worst_absolute = 0.0;
  for (int k = 1; k <= 7; ++k) {
    const double l = static_cast<double>(nominal.ds.entered.length(k));
    worst_absolute = std::max(worst_absolute, std::fabs(absolute.fitted[k - 1] - l - kErrors[k]));
  }
  EXPECT_GT(worst_absolute, 0.002);  // the steps' error taken for lengths
  expect_recovered(nominal, referred, 0.0003);
  EXPECT_EQ(referred.measured_fitted, absolute.fitted);
  EXPECT_EQ(referred.reference_fitted, reference.fitted);
  EXPECT_NEAR(referred.fitted_record.entered.length(2), 1.537f, 0.0003f);
  FitSettings other = s;
  other.lengths = false;
  const FitResult few = fit_circuit(nominal.ds, nominal.ends, with_larger_steps(nominal), other);
  EXPECT_THROW(refer_to_reference(nominal.ds, nominal.ends, absolute, few, s), FitFailure);
}

}  // namespace
}  // namespace mx
