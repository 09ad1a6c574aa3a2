// Time of the tolerance study of the 7-section worked example (Chebyshev
// 0.1 dB, 1000 MHz, 50 ohm, air lines of 0.5 inch outer diameter) as a
// distributed synthesis: 10,000 trials of 301 points with the default
// tolerances, on one and on two threads; and the allocation of its
// tolerances for a 95 % yield against the mask at most 0.2 dB up to 1000 MHz
// and at least 25 dB at 1500 MHz (1000 trials).

#include <benchmark/benchmark.h>

#include "air_line_designs.h"
#include "synthesis/stepped_line.h"
#include "tolerance/allocation.h"
#include "tolerance/study.h"

namespace {

struct Worked {
  mx::DesignRecord ds;
  mx::EndSteps ends;
  bool done = false;
};

Worked worked_example() {
  Worked w;
  w.ds = mx_bench::air_line_design(7, 0.1f);
  mx::SteppedLineResult r;
  mx::synthesize_stepped_line(w.ds, r);
  w.ends = mx::EndSteps{r.cap_high_source, r.cap_high_load};
  w.done = r.code == mx::Realizability::kDone;
  return w;
}

void BM_ToleranceStudyWorkedExample(benchmark::State& state) {
  const Worked w = worked_example();
  if (!w.done) {
    state.SkipWithError("the worked example is not realizable");
    return;
  }
  mx::StudySettings s;
  s.trials = 10000;
  s.threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const mx::StudyResult r = mx::run_tolerance_study(w.ds, w.ends, s);
    benchmark::DoNotOptimize(r.passed);
  }
  state.counters["points"] = 301;
}
BENCHMARK(BM_ToleranceStudyWorkedExample)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ToleranceAllocationWorkedExample(benchmark::State& state) {
  const Worked w = worked_example();
  if (!w.done) {
    state.SkipWithError("the worked example is not realizable");
    return;
  }
  mx::StudySettings s;
  s.mask = mx::LossMask{1000.0f, 0.2f, 1500.0f, 25.0f};
  s.threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const mx::Allocation r = mx::allocate_tolerances(w.ds, w.ends, s, mx::AllocationSettings{});
    if (!r.error.empty()) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(r.cost);
  }
}
BENCHMARK(BM_ToleranceAllocationWorkedExample)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
