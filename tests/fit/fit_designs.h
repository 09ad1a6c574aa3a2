// The filters the fitter's tests fit: the worked example synthesized (as the
// tolerance tests study it) and the shipped sample coax7.cxf as an entered
// circuit, each also "built" with the length errors of the README's worked
// example, and what a network analyser would measure of them (the program's
// own analysis, with noise if asked).
#pragma once

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "../tolerance/study_examples.h"
#include "analysis/coax_cascade.h"
#include "export/s_parameters.h"
#include "fit/fit.h"
#include "line/impedance.h"

namespace mx::fit_test {

// The shipped sample coax7.cxf as an entered circuit.
inline Design coax7_example() {
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
inline std::vector<double> frequencies() {
  std::vector<double> f;
  for (int k = 1; k <= 300; ++k) f.push_back(10.0 * k);
  return f;
}

// What a network analyser would measure of the filter of ds: the program's
// analysis (its chain matrices turned into S-parameters as the Touchstone
// writer does), with noise of noise_db in magnitude and noise_deg in phase.
inline MeasuredTwoPort measure(const DesignRecord& ds, const EndSteps& ends, double noise_db = 0.0,
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
inline constexpr double kErrors[8] = {0, 0, 0.004, -0.003, 0, 0.002, -0.004, 0};

inline Design built(const Design& nominal) {
  Design b = nominal;
  for (int k = 1; k <= 7; ++k) {
    float& l = b.ds.control.origin == Origin::kDistributedSynthesis ? b.ds.coax.length(k)
                                                                    : b.ds.entered.length(k);
    l += static_cast<float>(kErrors[k]);
  }
  return b;
}

}  // namespace mx::fit_test
