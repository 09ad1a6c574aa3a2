// The --spice netlist run by ngspice: a 7th-order elliptic ladder (standard
// and dual) and an entered plain ladder, designed and analysed by the
// program from a design file. ngspice's |S21| of the netlist's own test bench
// equals the program's analysed loss (its CSV) within 0.001 dB at every
// frequency of the sweep above -80 dB. (The netlist carries the floats of the
// program to nine digits, so what differs is the program's float arithmetic;
// the ngspice check of the analysis bounds that at 1e-3 dB as well.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "ngspice_run.h"
#include "session.h"

namespace mx {
namespace {

namespace fs = std::filesystem;

// The "index frequency value" rows ngspice's print writes.
std::vector<std::pair<double, double>> printed_rows(const std::string& log) {
  std::vector<std::pair<double, double>> rows;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    std::istringstream s(line);
    long index = 0;
    double f = 0, v = 0;
    std::string rest;
    if (s >> index >> f >> v && !(s >> rest)) rows.emplace_back(f, v);
  }
  return rows;
}

// frequency_mhz and loss_db of the program's CSV.
std::vector<std::pair<double, double>> csv_loss(const fs::path& p) {
  std::vector<std::pair<double, double>> rows;
  std::ifstream in(p);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<double> v;
    std::istringstream s(line);
    for (std::string field; std::getline(s, field, ',');) v.push_back(std::atof(field.c_str()));
    if (v.size() > 4) rows.emplace_back(v[0], v[4]);
  }
  return rows;
}

struct NetlistCase {
  const char* name;
  const char* design;  // the design file
};

class SpiceNetlist : public ::testing::TestWithParam<NetlistCase> {};

TEST_P(SpiceNetlist, NgspiceAgreesWithTheProgram) {
  ASSERT_TRUE(mxtest::ngspice_present()) << "ngspice is not installed (Debian package ngspice)";
  mxtest::TempDir dir;
  mxtest::write_file(dir.path() / "design.toml", GetParam().design);
  RunOptions o;
  o.spec = dir.path() / "design.toml";
  o.spice = dir.path() / "filter.cir";
  o.csv = dir.path() / "sweep.csv";
  const mxtest::SessionResult r = mxtest::run_session("", dir.path(), o);
  ASSERT_EQ(r.status, 0) << r.err;
  // The analysis's netlist: the second of the run when a synthesis came first.
  const fs::path netlist =
      fs::exists(dir.path() / "filter-2.cir") ? dir.path() / "filter-2.cir" : o.spice.value();
  const std::string cmd = "cd '" + dir.path().string() + "' && ngspice -b '" + netlist.string() +
                          "' > spice.log 2> spice.err";
  std::system(cmd.c_str());
  const auto spice = printed_rows(mxtest::read_file(dir.path() / "spice.log"));
  const auto program = csv_loss(dir.path() / "sweep.csv");
  ASSERT_EQ(spice.size(), program.size()) << mxtest::read_file(dir.path() / "spice.log");
  double worst = 0;
  for (std::size_t i = 0; i < spice.size(); ++i) {
    ASSERT_NEAR(spice[i].first, program[i].first * 1e6, 1e-6 * spice[i].first);
    if (program[i].second < -80.0) continue;
    worst = std::max(worst, std::fabs(spice[i].second - program[i].second));
    EXPECT_NEAR(spice[i].second, program[i].second, 1e-3) << "at " << program[i].first << " MHz";
  }
  std::printf("%s: largest |d S21| %.2g dB over %zu points\n", GetParam().name, worst,
              spice.size());
}

constexpr const char* kEllipticStandard = R"(
[response]
type = "elliptic"
ripple_db = 0.1
stopband_db = 60
sections = 7
cutoff_mhz = 100
[terminations]
impedance_ohm = 50
[analysis]
start_mhz = 1
stop_mhz = 500
step_mhz = 1
)";

constexpr const char* kEllipticDual = R"(
[response]
type = "elliptic"
ripple_db = 0.5
stopband_db = 50
sections = 7
cutoff_mhz = 30
configuration = "dual"
[terminations]
impedance_ohm = 75
[analysis]
start_mhz = 0.5
stop_mhz = 150
step_mhz = 0.5
)";

constexpr const char* kBessel = R"(
[response]
type = "bessel"
sections = 5
cutoff_mhz = 10
[terminations]
impedance_ohm = 50
[analysis]
start_mhz = 0.1
stop_mhz = 50
step_mhz = 0.1
)";

INSTANTIATE_TEST_SUITE_P(Designs, SpiceNetlist,
                         ::testing::Values(NetlistCase{"elliptic_n7_standard", kEllipticStandard},
                                           NetlistCase{"elliptic_n7_dual", kEllipticDual},
                                           NetlistCase{"bessel_n5", kBessel}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mx
