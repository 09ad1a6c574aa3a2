// Time of a fit inside the program: the shipped 7-section coaxial circuit
// (coax7.cxf) fitted to 300 frequencies (10 to 3000 MHz) of the same circuit
// built with the README's length errors (+4, -3, +2, -4 mil in sections 2,
// 3, 5, 6), as the program's lossy analysis gives them; the fit frees the
// seven lengths and the two plane offsets (as --fit does), and with
// argument 1 also the common step factor. Then the correction plan of the
// fitted part. On one and on two threads.

#include <benchmark/benchmark.h>

#include "analysis/coax_cascade.h"
#include "export/s_parameters.h"
#include "fit/corrections.h"
#include "fit/fit.h"
#include "line/impedance.h"

namespace {

mx::DesignRecord coax7(bool built) {
  mx::DesignRecord ds;
  ds.control.function = mx::Function::kAnalysis;
  ds.control.option = mx::Option::kDistributed;
  ds.control.origin = mx::Origin::kDistributedEntered;
  ds.design.sections = 7;
  ds.losses = mx::Losses{1.7e-6f / 2.54f, 32.0e-6f, 0.0002f};
  const float lengths[9] = {0, 0.175f, 1.533f, 0.325f, 1.754f, 0.325f, 1.533f, 0.175f, 0};
  const float errors[9] = {0, 0, 0.004f, -0.003f, 0, 0.002f, -0.004f, 0, 0};
  mx::EnteredLines& e = ds.entered;
  for (int i = 0; i <= 8; ++i) {
    e.outer(i) = 0.5f;
    e.inner(i) = i == 0 || i == 8 ? 0.2172f : (i % 2 ? 0.45f : 0.1f);
    e.er(i) = 1.0f;
    e.zo(i) = mx::line_impedance(e.outer(i), e.inner(i), e.er(i));
    e.length(i) = lengths[i] + (built ? errors[i] : 0.0f);
  }
  ds.ports = mx::Terminations{e.zo(0), 0.0f, e.zo(8), 0.0f};
  return ds;
}

mx::MeasuredTwoPort measured() {
  const mx::DesignRecord ds = coax7(true);
  mx::MeasuredTwoPort m;
  m.z1 = m.z2 = static_cast<double>(ds.ports.rs);
  const mx::CoaxNetwork net = mx::coax_network(ds, mx::EndSteps{});
  for (int k = 1; k <= 300; ++k) {
    m.f_mhz.push_back(10.0 * k);
    mx::TwoPort rs;
    mx::coax_cascade(net, 10.0f * static_cast<float>(k), rs);
    const mx::SParameters s = mx::abcd_to_s(rs.v, m.z1, m.z2);
    m.s11.push_back(s.s11);
    m.s21.push_back(s.s21);
    m.s12.push_back(s.s12);
    m.s22.push_back(s.s22);
  }
  return m;
}

void BM_Fit7Sections300Frequencies(benchmark::State& state) {
  const mx::DesignRecord ds = coax7(false);
  const mx::MeasuredTwoPort m = measured();
  mx::FitSettings s;
  s.threads = static_cast<int>(state.range(0));
  if (state.range(1) != 0) s.step_scale = mx::StepScaleFit::kCommon;
  for (auto _ : state) {
    const mx::FitResult r = mx::fit_circuit(ds, mx::EndSteps{}, m, s);
    benchmark::DoNotOptimize(r.fitted.data());
    state.counters["evaluations"] = r.evaluations;
  }
}
BENCHMARK(BM_Fit7Sections300Frequencies)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CorrectionPlan7Sections(benchmark::State& state) {
  const mx::DesignRecord ds = coax7(false);
  const mx::FitSettings s;
  const mx::FitResult r = mx::fit_circuit(ds, mx::EndSteps{}, measured(), s);
  for (auto _ : state) {
    const mx::CorrectionPlan p = mx::plan_corrections(ds, mx::EndSteps{}, r, s, {});
    benchmark::DoNotOptimize(p.corrections.data());
  }
}
BENCHMARK(BM_CorrectionPlan7Sections)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
