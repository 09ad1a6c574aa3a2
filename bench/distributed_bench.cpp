// Time of one complete distributed synthesis of a 30-section filter: line
// figures, junction capacitances, the length passes and the end correction.

#include <benchmark/benchmark.h>

#include "line/impedance.h"
#include "synthesis/ladder.h"
#include "synthesis/stepped_line.h"

namespace {

// Standard circuit, Chebyshev 0.1 dB, 1000 MHz, 50 ohms, n = 30, air lines of
// 0.5 inch outer diameter: 50 ohm source and load lines, 138 ohm
// high-impedance and 6.3 ohm low-impedance sections.
mx::DesignRecord thirty_sections() {
  mx::DesignRecord ds;
  ds.control.configuration = mx::Configuration::kStandard;
  ds.design.sections = 30;
  ds.control.response = mx::Response::kChebyshev;
  ds.design.ripple_db = 0.1f;
  ds.design.cutoff_mhz = 1000.0f;
  ds.design.system_impedance = 50.0f;
  const float inner[4] = {0.2172f, 0.05f, 0.45f, 0.2172f};
  for (int k = 0; k < 4; ++k) {
    ds.lines.outer(k) = 0.5f;
    ds.lines.inner(k) = inner[k];
    ds.lines.er(k) = 1.0f;
    ds.lines.zo(k) = mx::line_impedance(0.5f, inner[k], 1.0f);
  }
  mx::synthesize_ladder(ds.ladder, ds.design.ripple_db, ds.design.cutoff_mhz, ds.control.response,
                        ds.design.sections, ds.design.system_impedance);
  return ds;
}

void BM_DistributedSynthesis30(benchmark::State& state) {
  mx::DesignRecord ds = thirty_sections();
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
