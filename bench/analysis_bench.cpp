// Cost of one analysis point (filter two-port, port quantities and group
// delay, i.e. two or three cascades) for the largest lumped and coaxial
// circuits, alone (analyse_point) and within a long sweep (run_sweep).
// The per-point work must not touch the heap: every allocation made while the
// timed loop runs is counted and reported as allocs_per_point.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

#include "air_line_designs.h"
#include "analysis/sweep.h"
#include "synthesis/ladder.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// All kept out of line so that the compiler does not see malloc and free
// paired with the operators and warn about a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int kPoints = 64;

// Sweep frequencies cycled through by the timed loop, MHz.
float sweep(int i, float fmin, float fmax) {
  return fmin + (fmax - fmin) * static_cast<float>(i) / static_cast<float>(kPoints - 1);
}

// Chebyshev 0.1 dB, 1000 MHz, 50 ohm, 30 positions, standard circuit.
mx::DesignRecord lumped30() {
  mx::DesignRecord ds;
  ds.control.option = mx::Option::kElectrical;
  ds.control.origin = mx::Origin::kElectricalSynthesis;
  ds.control.configuration = mx::Configuration::kStandard;
  ds.design.sections = 30;
  ds.design.ripple_db = 0.1f;
  ds.design.system_impedance = 50.0f;
  mx::synthesize_ladder(ds.ladder, ds.design.ripple_db, 1000.0f, mx::Response::kChebyshev, 30,
                        ds.design.system_impedance);
  ds.ports.rs = 50.0f;
  ds.ports.rl = ds.ladder.load_standard;
  return ds;
}

void run_points(benchmark::State& state, mx::DesignRecord ds, float fmin, float fmax) {
  int i = 0;
  const long before = g_allocations.load();
  for (auto _ : state) {
    mx::SweepRow r = mx::analyse_point(ds, mx::EndSteps{}, sweep(i, fmin, fmax));
    benchmark::DoNotOptimize(r);
    i = i + 1 == kPoints ? 0 : i + 1;
  }
  const long allocations = g_allocations.load() - before;
  state.counters["allocs_per_point"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_AnalysisPointLumped30(benchmark::State& state) {
  run_points(state, lumped30(), 10.0f, 2000.0f);
}
void BM_AnalysisPointCoax31(benchmark::State& state) {
  run_points(state, mx_bench::entered_coax(31), 10.0f, 4000.0f);
}

BENCHMARK(BM_AnalysisPointLumped30);
BENCHMARK(BM_AnalysisPointCoax31);

// The engine of a long sweep: run_sweep over 10,001 points, 1 to 10001 MHz by
// 1 MHz, on state.range(0) threads; per_point_ns is the wall time per point.
void run_whole_sweep(benchmark::State& state, mx::DesignRecord ds) {
  ds.sweep = mx::Sweep{1.0f, 10001.0f, 1.0f, 10000};
  const mx::SweepOptions options{static_cast<int>(state.range(0))};
  for (auto _ : state) {
    std::vector<mx::SweepRow> rows = mx::run_sweep(ds, mx::EndSteps{}, options);
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["per_point_ns"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 10001.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SweepLumped30(benchmark::State& state) { run_whole_sweep(state, lumped30()); }
void BM_SweepCoax31(benchmark::State& state) { run_whole_sweep(state, mx_bench::entered_coax(31)); }

BENCHMARK(BM_SweepLumped30)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepCoax31)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
