// A whole run in-process: a 31-section coaxial circuit read from a data file,
// swept over 10,001 points, the report written to the console and a report file.
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
  return dir;
}

void BM_Sweep10001PointsOf31SectionCoax(benchmark::State& state) {
  const fs::path dir = prepare_folder();
  // Analysis of a coaxial circuit from a file, losses from the defaults file,
  // 1 to 10001 MHz by 1 MHz, stored in sweep.txt, then exit.
  const std::string answers = "1\n2\n2\nbig31.cxf\n\n\n\n1\n10001\n1\n1\nsweep.txt\n3\n";
  NullBuffer null;
  std::ostream console(&null);
  const mx::FixedClock clock({7, 9, 2026, 9, 5, 3});
  for (auto _ : state) {
    std::istringstream in(answers);
    std::ostringstream err;
    const int status = mx::run_program(in, console, err, clock, dir);
    if (status != 0) state.SkipWithError("the run did not end normally");
  }
  state.counters["points"] = 10001;
  state.counters["per_point_ns"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 10001.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  fs::remove_all(dir);
}
BENCHMARK(BM_Sweep10001PointsOf31SectionCoax)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
