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

#include "air_line_designs.h"
#include "analysis/sweep.h"

namespace {

constexpr int kSteps = 10000;

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

void BM_EngineCoax(benchmark::State& state) { sweep(state, mx_bench::entered_coax); }
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
