// The Touchstone file of an analysis against ngspice: a lumped ladder is
// written as a circuit data file, analysed by a whole run with --touchstone,
// and the four S-parameters in the file are compared with those of ngspice's
// AC analysis of the same ladder between the same port resistances.
//
// ngspice drives the ladder twice, each time with a 1 V source behind the
// resistance of the driven port and the other port loaded by its own
// resistance (Rs at port 1, Rl at port 2):
//   driven at port 1:  S11 = 2 V1 - 1,  S21 = 2 sqrt(Rs/Rl) V2
//   driven at port 2:  S22 = 2 V2 - 1,  S12 = 2 sqrt(Rl/Rs) V1
// which are the S-parameters referred to Rs at port 1 and Rl at port 2, as
// the file's option line (equal ports) or [Reference] line (unequal ports)
// says. Element values and resistances reach ngspice as the exact values of
// the floats the program read.
//
// Tolerances. The file's S-parameters come from the program's float chain
// matrix (relative error some 1e-6, see ngspice_test.cpp) and are written to
// 9 digits; ngspice writes 9 digits. So:
//   passband (f <= 1000 MHz): |d re| and |d im| <= 1e-4 on every parameter;
//   stopband: S21 and S12 to 1e-4 relative (|dS| <= 1e-4 |S|: they fall by
//   orders of magnitude there), S11 and S22 (near 1) to 1e-4 on each part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ngspice_run.h"
#include "session.h"

namespace mxtest {
namespace {

using cplx = std::complex<double>;

struct LadderCase {
  const char* name;
  int configuration;                // 1 standard (shunt C first), 2 dual (series L first)
  std::vector<const char*> values;  // pF for a shunt C, nH for a series L, from the source
  const char* rs;
  const char* rl;
};

// Shown by name in the test output.
void PrintTo(const LadderCase& c, std::ostream* os) { *os << c.name; }

// The value the program reads from an answer or a file field.
double as_read(const char* text) { return static_cast<double>(std::strtof(text, nullptr)); }

constexpr float kPassbandEdge = 1000.0f;  // MHz, every ladder below is cut off there
constexpr int kPoints = 60;               // 50 to 3000 MHz by 50

// Largest deviations over all cases, printed at the end of the run.
struct Largest {
  double passband = 0;           // on a part of any parameter
  double stop_transmission = 0;  // relative, S21 and S12
  double stop_reflection = 0;    // on a part of S11 or S22
  double deepest_db = 0;         // lowest |S21| seen, dB
  int points = 0;
  ~Largest() {
    if (points == 0) return;
    std::printf(
        "Touchstone file against ngspice, %d points down to %.1f dB: largest deviation in the "
        "passband %.3g (on a part), in the stopband S21/S12 %.3g relative, S11/S22 %.3g\n",
        points, deepest_db, passband, stop_transmission, stop_reflection);
  }
};
Largest largest;

// The ladder between nodes <p>1 and <p><last>, shunt elements to ground.
// Returns the name of the last node.
std::string ladder(std::ostringstream& net, const LadderCase& c, const std::string& p) {
  bool shunt = c.configuration == 1;
  int node = 1;
  for (std::size_t k = 0; k < c.values.size(); ++k, shunt = !shunt) {
    const double v = as_read(c.values[k]);
    if (shunt) {
      net << "C" << p << k << " " << p << node << " 0 " << spice_number(v * 1.0e-12) << "\n";
    } else {
      net << "L" << p << k << " " << p << node << " " << p << node + 1 << " "
          << spice_number(v * 1.0e-9) << "\n";
      ++node;
    }
  }
  return p + std::to_string(node);
}

class TouchstoneAgainstNgspice : public ::testing::TestWithParam<LadderCase> {};

TEST_P(TouchstoneAgainstNgspice, SParametersAgree) {
  ASSERT_TRUE(ngspice_present()) << "ngspice is not installed (Debian package ngspice)";
  const LadderCase& c = GetParam();
  TempDir dir;
  install_shipped_files(dir.path());

  // The ladder as a circuit data file, analysed by a whole run.
  std::ostringstream file;
  file << c.name << "\n" << c.configuration << "\n";
  for (const char* v : c.values) file << v << "\n";
  write_file(dir / "ladder.lef", file.str());
  mx::RunOptions options;
  options.touchstone = dir / "ladder.s2p";
  const SessionResult r = run_session(
      "1\n1\n2\nladder.lef\n" + std::string(c.rs) + "\n0\n" + c.rl + "\n0\n50\n3000\n50\n\n3\n",
      dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err << r.out;
  const TouchstoneFile ts = read_touchstone(*options.touchstone);
  ASSERT_EQ(ts.points.size(), static_cast<std::size_t>(kPoints));
  const double rs = as_read(c.rs), rl = as_read(c.rl);
  // The references, written as the shortest text of the program's floats.
  EXPECT_EQ(static_cast<float>(ts.r1), static_cast<float>(rs));
  EXPECT_EQ(static_cast<float>(ts.r2), static_cast<float>(rl));
  EXPECT_EQ(ts.version2, rs != rl);

  std::ostringstream net;
  net << "* " << c.name << ", driven at port 1 (f) and at port 2 (r)\n"
      << "Vf sf 0 DC 0 AC 1\nRsf sf f1 " << spice_number(rs) << "\n";
  const std::string f_out = ladder(net, c, "f");
  net << "Rlf " << f_out << " 0 " << spice_number(rl) << "\nVr sr 0 DC 0 AC 1\n";
  const std::string r_out = ladder(net, c, "r");
  net << "Rlr sr " << r_out << " " << spice_number(rl) << "\nRsr r1 0 " << spice_number(rs) << "\n"
      << ".control\nset wr_singlescale\nset wr_vecnames\n"
      << "ac lin " << kPoints << " 50e6 3000e6\n"
      << "wrdata ac.txt v(f1) v(" << f_out << ") v(r1) v(" << r_out << ")\nquit\n.endc\n.end\n";
  const auto rows = run_ngspice(dir.path(), net.str());
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kPoints)) << "ngspice gave no result:\n"
                                                            << read_file(dir / "ngspice.log");

  int stopband_points = 0;
  for (int k = 0; k < kPoints; ++k) {
    const auto& row = rows[static_cast<std::size_t>(k)];
    ASSERT_EQ(row.size(), 9u);
    const TouchstonePoint& p = ts.points[static_cast<std::size_t>(k)];
    ASSERT_NEAR(row[0], p.f_mhz * 1.0e6, 1.0e-6 * p.f_mhz) << "frequency grid";
    const cplx v1(row[1], row[2]), v2(row[3], row[4]), v1r(row[5], row[6]), v2r(row[7], row[8]);
    const cplx s11 = 2.0 * v1 - 1.0, s21 = 2.0 * std::sqrt(rs / rl) * v2;
    const cplx s12 = 2.0 * std::sqrt(rl / rs) * v1r, s22 = 2.0 * v2r - 1.0;
    const std::string at = std::string(c.name) + " at " + std::to_string(p.f_mhz) + " MHz";

    auto part_error = [](cplx got, cplx want) {
      return std::max(std::fabs(got.real() - want.real()), std::fabs(got.imag() - want.imag()));
    };
    if (p.f_mhz <= static_cast<double>(kPassbandEdge)) {
      for (const auto& [got, want, name] : {std::tuple{p.s11, s11, "S11"},
                                            {p.s21, s21, "S21"},
                                            {p.s12, s12, "S12"},
                                            {p.s22, s22, "S22"}}) {
        const double e = part_error(got, want);
        EXPECT_LE(e, 1.0e-4) << at << ": " << name << " " << got << " vs " << want;
        largest.passband = std::max(largest.passband, e);
      }
    } else {
      ++stopband_points;
      for (const auto& [got, want, name] : {std::tuple{p.s21, s21, "S21"}, {p.s12, s12, "S12"}}) {
        const double e = std::abs(got - want) / std::abs(want);
        EXPECT_LE(e, 1.0e-4) << at << ": " << name << " " << got << " vs " << want;
        largest.stop_transmission = std::max(largest.stop_transmission, e);
      }
      for (const auto& [got, want, name] : {std::tuple{p.s11, s11, "S11"}, {p.s22, s22, "S22"}}) {
        const double e = part_error(got, want);
        EXPECT_LE(e, 1.0e-4) << at << ": " << name << " " << got << " vs " << want;
        largest.stop_reflection = std::max(largest.stop_reflection, e);
      }
    }
    largest.deepest_db = std::min(largest.deepest_db, 20.0 * std::log10(std::abs(s21)));
    ++largest.points;
  }
  EXPECT_GE(stopband_points, 20);
}

INSTANTIATE_TEST_SUITE_P(
    Ladders, TouchstoneAgainstNgspice,
    ::testing::Values(
        // The shipped lumped7.lef: 7-section 0.1 dB Chebyshev, 1000 MHz, 50 ohm.
        LadderCase{"cheb7_standard_matched",
                   1,
                   {"3.760", "11.322", "6.674", "12.521", "6.674", "11.322", "3.760"},
                   "50",
                   "50"},
        // 5-section 0.1 dB Chebyshev, dual circuit.
        LadderCase{
            "cheb5_dual_matched", 2, {"9.126", "4.3647", "15.716", "4.3647", "9.126"}, "50", "50"},
        // 4-section 0.5 dB Chebyshev against the load it was made for (a version 2.0 file).
        LadderCase{
            "cheb4_standard_50_to_25", 1, {"5.3169", "9.4900", "7.5318", "6.6993"}, "50", "25.2"},
        // 3-section Butterworth, dual, between unequal ports it was not made for.
        LadderCase{"butter3_dual_50_to_75", 2, {"7.9577", "6.3662", "7.9577"}, "50", "75"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mxtest
