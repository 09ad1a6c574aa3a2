// Whole runs in-process: a 31-section coaxial circuit and a 30-element lumped
// ladder read from data files, each swept over 10,001 points, the report
// written to the console (discarded) and, for the coaxial one, a report file.
// bench/whole_process.sh times the same sweeps as separate processes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>

#include "app/program.h"

namespace {

namespace fs = std::filesystem;

// A console that keeps nothing.
class NullBuffer final : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

fs::path prepare_folder() {
  const fs::path dir =
      fs::temp_directory_path() / ("mandrelix-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::copy_file(fs::path(MANDRELIX_SOURCE_DIR) / "data" / "Mandrelix.DEF", dir / "Mandrelix.DEF",
                fs::copy_options::overwrite_existing);
  std::ofstream f(dir / "big31.cxf");
  f << "31-section stepped-impedance low-pass\n31\n0.5\n0.2172\n1\n";
  for (int i = 1; i <= 31; ++i) f << (i % 2 ? "0.2\n0.5\n0.45\n2.1\n" : "1.2\n0.5\n0.1\n1\n");
  f << "0.5\n0.2172\n1\n";
  // The 30-element ladder of bench/whole_process.sh: standard configuration,
  // 3.5 pF and 11.5 nH alternating.
  std::ofstream l(dir / "lump30.lef");
  l << "30-element lumped ladder\n1\n";
  for (int i = 1; i <= 30; ++i) l << (i % 2 ? "3.5\n" : "11.5\n");
  return dir;
}

// One whole run per iteration with the answers given, the console discarded;
// the sweep on state.range(0) threads.
void run_session(benchmark::State& state, const std::string& answers) {
  const fs::path dir = prepare_folder();
  NullBuffer null;
  std::ostream console(&null);
  const mx::FixedClock clock({7, 9, 2026, 9, 5, 3});
  mx::RunOptions options;
  options.threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::istringstream in(answers);
    std::ostringstream err;
    const int status = mx::run_program(in, console, err, clock, dir, options);
    if (status != 0) state.SkipWithError("the run did not end normally");
  }
  state.counters["points"] = 10001;
  state.counters["per_point_ns"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 10001.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  fs::remove_all(dir);
}

// Analysis of a coaxial circuit from a file, losses from the defaults file,
// 1 to 10001 MHz by 1 MHz, stored in sweep.txt, then exit.
void BM_Sweep10001PointsOf31SectionCoax(benchmark::State& state) {
  run_session(state, "1\n2\n2\nbig31.cxf\n\n\n\n1\n10001\n1\n1\nsweep.txt\n3\n");
}
// Analysis of the 30-element ladder from a file between 50-ohm ends, 1 to
// 10001 MHz by 1 MHz, nothing stored, then exit.
void BM_Sweep10001PointsOf30ElementLadder(benchmark::State& state) {
  run_session(state, "1\n1\n2\nlump30.lef\n50\n0\n50\n0\n1\n10001\n1\n0\n3\n");
}
BENCHMARK(BM_Sweep10001PointsOf31SectionCoax)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sweep10001PointsOf30ElementLadder)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("threads")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
