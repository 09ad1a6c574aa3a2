// The analysis engine alone, in points per second: run_sweep over 10,001
// frequencies (1 to 10001 MHz by 1 MHz) of stepped coaxial filters and lumped
// ladders of 7 and 31 sections, on one and two threads. A point is the
// response at f, the phase at f x 1.0001 for the group delay (two or, when
// the phase wraps, three cascades) and the port figures; nothing is printed.
//
//   bench_engine --benchmark_counters_tabular=true
//
// items_per_second is the points per second.

#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/sweep.h"
#include "line/impedance.h"

namespace {

constexpr int kSteps = 10000;

// n sections alternating between air-spaced high-impedance and PTFE-filled
// low-impedance lines inside a 0.5 inch outer conductor, between 50-ohm air
// lines; copper, 32 micro-inch roughness, loss tangent 2e-4.
mx::DesignRecord coax(int n) {
  mx::DesignRecord ds;
  ds.control.option = mx::Option::kDistributed;
  ds.control.origin = mx::Origin::kDistributedEntered;
  ds.design.sections = n;
  auto& e = ds.entered;
  for (int k = 0; k <= n + 1; ++k) {
    const bool end = k == 0 || k == n + 1;
    const bool high = k % 2 == 0;
    e.outer(k) = 0.5f;
    e.inner(k) = end ? 0.2172f : (high ? 0.05f : 0.45f);
    e.er(k) = end || high ? 1.0f : 2.1f;
    e.length(k) = end ? 0.0f : (high ? 0.28f : 0.12f);
    e.zo(k) = mx::line_impedance(e.outer(k), e.inner(k), e.er(k));
  }
  ds.losses.resistivity = 1.724e-6f / 2.54f;
  ds.losses.roughness = 32.0e-6f;
  ds.losses.loss_tangent = 0.0002f;
  ds.ports.rs = e.zo(0);
  ds.ports.rl = e.zo(n + 1);
  return ds;
}

// n elements, shunt 3.5 pF and series 11.5 nH alternating from the source,
// between 50-ohm ends.
mx::DesignRecord lumped(int n) {
  mx::DesignRecord ds;
  ds.control.option = mx::Option::kElectrical;
  ds.control.origin = mx::Origin::kLumpedEntered;
  ds.control.configuration = mx::Configuration::kStandard;
  ds.design.sections = n;
  for (int k = 1; k <= n; ++k) {
    ds.ladder.shunt_pf(k) = 3.5f;
    ds.ladder.series_nh(k) = 11.5f;
  }
  ds.ports = mx::Terminations{50.0f, 0.0f, 50.0f, 0.0f};
  return ds;
}

// state.range(0) sections, state.range(1) threads.
void sweep(benchmark::State& state, mx::DesignRecord (*filter)(int)) {
  mx::DesignRecord ds = filter(static_cast<int>(state.range(0)));
  ds.sweep = mx::Sweep{1.0f, 10001.0f, 1.0f, kSteps};
  const mx::SweepOptions options{static_cast<int>(state.range(1))};
  for (auto _ : state) {
    std::vector<mx::SweepRow> rows = mx::run_sweep(ds, mx::EndSteps{}, options);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * (kSteps + 1));
}

void BM_EngineCoax(benchmark::State& state) { sweep(state, coax); }
void BM_EngineLumped(benchmark::State& state) { sweep(state, lumped); }

BENCHMARK(BM_EngineCoax)
    ->ArgsProduct({{7, 31}, {1, 2}})
    ->ArgNames({"sections", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineLumped)
    ->ArgsProduct({{7, 31}, {1, 2}})
    ->ArgNames({"sections", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
