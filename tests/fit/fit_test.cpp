// The fitter on data the program's own analysis produced: a built filter
// with known length errors is fitted back to its dimensions exactly, the
// step factor to 1 and the plane offsets to 0; with noise of a network
// analyser the errors come back within half a mil; and a measurement the fit
// cannot use is refused with its reason.
#include "fit/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/coax_cascade.h"
#include "designs.h"
#include "export/s_parameters.h"
#include "line/impedance.h"
#include "synthesis/stepped_line.h"

namespace mx {
namespace {

struct Design {
  DesignRecord ds;
  EndSteps ends;
};

// The 7-section worked example synthesized and set up for analysis: copper
// lines, 50-ohm ends.
Design worked_example() {
  Design d;
  d.ds = test_support::chebyshev_ladder(Configuration::kStandard, 7);
  d.ds.control.option = Option::kDistributed;
  test_support::set_air_lines(d.ds);
  SteppedLineResult r;
  synthesize_stepped_line(d.ds, r);
  d.ends = EndSteps{r.cap_high_source, r.cap_high_load};
  d.ds.control.function = Function::kAnalysis;
  d.ds.losses = Losses{1.724e-6f / 2.54f, 30.0e-6f, 0.0002f};
  d.ds.ports = Terminations{50.0f, 0.0f, 50.0f, 0.0f};
  return d;
}

// The shipped sample coax7.cxf as an entered circuit.
Design entered_example() {
  Design d;
  DesignRecord& ds = d.ds;
  ds.control.function = Function::kAnalysis;
  ds.control.option = Option::kDistributed;
  ds.control.origin = Origin::kDistributedEntered;
  ds.design.sections = 7;
  ds.losses = Losses{1.724e-6f / 2.54f, 32.0e-6f, 0.0002f};
  const float lengths[8] = {0, 0.175f, 1.533f, 0.325f, 1.754f, 0.325f, 1.533f, 0.175f};
  for (int i = 0; i <= 8; ++i) {
    EnteredLines& e = ds.entered;
    e.outer(i) = 0.5f;
    e.inner(i) = i == 0 || i == 8 ? 0.2172f : (i % 2 ? 0.45f : 0.1f);
    e.er(i) = 1.0f;
    e.zo(i) = line_impedance(e.outer(i), e.inner(i), e.er(i));
    e.length(i) = i == 0 || i == 8 ? 0.0f : lengths[i];
  }
  ds.ports = Terminations{ds.entered.zo(0), 0.0f, ds.entered.zo(8), 0.0f};
  return d;
}

// 300 frequencies, 10 to 3000 MHz.
std::vector<double> frequencies() {
  std::vector<double> f;
  for (int k = 1; k <= 300; ++k) f.push_back(10.0 * k);
  return f;
}

// What a network analyser would measure of the filter of ds: the program's
// analysis (its chain matrices turned into S-parameters as the Touchstone
// writer does), with noise of noise_db in magnitude and noise_deg in phase.
MeasuredTwoPort measure(const DesignRecord& ds, const EndSteps& ends, double noise_db = 0.0,
                        double noise_deg = 0.0) {
  MeasuredTwoPort m;
  m.f_mhz = frequencies();
  m.z1 = static_cast<double>(ds.ports.rs);
  m.z2 = static_cast<double>(ds.ports.rl);
  const CoaxNetwork net = coax_network(ds, ends);
  std::mt19937_64 g(7);
  std::normal_distribution<double> unit(0.0, 1.0);
  auto noisy = [&](std::complex<double> s) {
    return s * std::polar(std::pow(10.0, noise_db * unit(g) / 20.0),
                          noise_deg * unit(g) * M_PI / 180.0);
  };
  for (double f : m.f_mhz) {
    TwoPort rs;
    coax_cascade(net, static_cast<float>(f), rs);
    const SParameters s = abcd_to_s(rs.v, m.z1, m.z2);
    m.s11.push_back(noisy(s.s11));
    m.s21.push_back(noisy(s.s21));
    m.s12.push_back(m.s21.back());
    m.s22.push_back(noisy(s.s22));
  }
  return m;
}

// The errors of the built example, inch, sections 1..7.
constexpr double kErrors[8] = {0, 0, 0.004, -0.003, 0, 0.002, -0.004, 0};

Design built(const Design& nominal) {
  Design b = nominal;
  for (int k = 1; k <= 7; ++k) {
    float& l = b.ds.control.origin == Origin::kDistributedSynthesis ? b.ds.coax.length(k)
                                                                    : b.ds.entered.length(k);
    l += static_cast<float>(kErrors[k]);
  }
  return b;
}

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
  const Design nominal = entered_example();
  const Design b = built(nominal);
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), FitSettings{});
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
  const Design nominal = entered_example();
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
  const FitResult free = fit_circuit(nominal.ds, nominal.ends, m, FitSettings{});
  EXPECT_GT(free.std_error[0], 0.002);  // L1
  EXPECT_LT(free.std_error[1], 0.001);  // L2, a rod
}

TEST(Fit, RelativeDifferencesWeighTheStopband) {
  const Design nominal = entered_example();
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
  const Design nominal = entered_example();
  const MeasuredTwoPort good = measure(nominal.ds, nominal.ends);
  struct Case {
    const char* what;
    void (*spoil)(MeasuredTwoPort&, FitSettings&);
    const char* message;
  };
  const Case cases[] = {
      {"too few frequencies",
       [](MeasuredTwoPort& m, FitSettings&) {
         for (auto* v : {&m.s11, &m.s21, &m.s12, &m.s22}) v->resize(19);
         m.f_mhz.resize(19);
       },
       "fewer than twice the 10 parameters"},
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
  const Design nominal = entered_example();
  const Design b = built(nominal);
  FitSettings s;
  s.magnitude_only = true;
  const FitResult r = fit_circuit(nominal.ds, nominal.ends, measure(b.ds, b.ends), s);
  for (const FitParameter& p : r.parameters) EXPECT_NE(p.kind, FitParameterKind::kPlaneOffset);
  expect_recovered(nominal, r, 1e-5);
}

}  // namespace
}  // namespace mx
