// Time of one complete distributed synthesis of a 30-section filter: line
// figures, junction capacitances, the length passes and the end correction.

#include <benchmark/benchmark.h>

#include "air_line_designs.h"
#include "synthesis/stepped_line.h"

namespace {

void BM_DistributedSynthesis30(benchmark::State& state) {
  mx::DesignRecord ds = mx_bench::air_line_design(30, 0.05f);  // 138 and 6.3 ohm sections
  mx::SteppedLineResult r;
  mx::synthesize_stepped_line(ds, r);
  if (r.code != mx::Realizability::kDone) {
    state.SkipWithError("the 30-section design is not realizable");
    return;
  }
  state.counters["passes"] = r.passes;
  // Every run starts from zeroed lengths and capacitances, so repeating it
  // on the same record measures the same work each time.
  for (auto _ : state) {
    mx::synthesize_stepped_line(ds, r);
    benchmark::DoNotOptimize(r);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DistributedSynthesis30);

}  // namespace

BENCHMARK_MAIN();
