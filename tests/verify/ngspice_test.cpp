// The frequency analysis against an independent circuit simulator: ngspice's
// AC analysis (double precision, its own matrix solver) of the same circuits.
//
// (a) Lumped ladders made by synthesize_ladder, Chebyshev and Butterworth,
//     standard and dual, odd and even n, terminated as after an electrical
//     synthesis (source Zo, load the ladder's load of the standard or the dual
//     circuit: unequal for an even Chebyshev ladder).
// (b) Lossless stepped coaxial cascades entered as a user circuit (origin
//     kDistributedEntered, resistivity 0, loss tangent 0): every section an
//     ideal transmission line (SPICE T element, Z0 = the section's impedance,
//     TD = length * sqrt(er) / c) and every junction a shunt capacitor. The
//     program's junction capacitances depend on frequency (the step model's
//     higher-order-mode factor), so no single netlist holds them over a
//     sweep. The program's own values at each frequency (entered.junction_f,
//     left by coax_cascade) go into a copy of the circuit of its own, and that
//     copy is read only at its frequency: this compares the cascade, the line
//     sections and the port quantities exactly, with the step capacitance
//     itself checked by its own tests.
//
// The quantity compared: the program's loss il (loss_db) = 10 log10 |S21|^2
// and phase of S21 with S21 = 2 sqrt(Zs/Zl) V2/Vs, where ngspice drives the
// source Vs = 1 through a series Zs into the filter loaded by Zl; the input
// impedance is V1/I1 at the filter's input terminals.
//
// Tolerances. The program works in single precision (unit roundoff 6e-8);
// element values, frequencies and capacitances are handed to ngspice as the
// exact values of the program's floats, so what differs is the rounding of
// the program's arithmetic: a chain of at most 2n+1 two-ports, each product
// a few roundings, float sine, cosine, atan and log10, and pi and the speed
// of light rounded to float (a relative frequency shift of 3e-8). Where
// nothing cancels that is a relative error of some 1e-6 in S21 and Zin,
// i.e. 1e-5 dB. Seen over the 248 points below: |d il| 2.5e-6 dB in the
// passband and 1.7e-5 dB in the stopband, 1e-4 degree of phase (at the band
// edge, where the phase turns fastest and the frequency shift counts most),
// 1.7e-5 relative in Zin (near a parallel resonance of the input, where
// C*Zl + D cancels). The tolerances allow 10 to 100 times that:
//   passband  |d il| <= 1e-3 dB;
//   stopband  |d il| <= 1e-3 dB + 1e-5 |il| (the ABCD terms grow with the
//             attenuation and their sum loses relative accuracy with it);
//   phase     |d phase| <= 1e-3 degree, plus in the stopband the share of
//             the il bound beyond 1e-3 dB taken as a relative error of S21
//             and turned into an angle;
//   Zin       |d Zin| <= 1e-4 |Zin| + 1e-4 ohm;
//   VSWR      relative 1e-4 * VSWR (an error of |reflection| is magnified by
//             about VSWR); compared only below the program's limits.
// A missing ngspice is a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/coax_cascade.h"
#include "analysis/sweep.h"
#include "analysis/two_port.h"
#include "line/impedance.h"
#include "model/design_record.h"
#include "ngspice_run.h"
#include "session.h"
#include "synthesis/ladder.h"

namespace mx {
namespace {

using cplx = std::complex<double>;
namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;
constexpr double kInchPerSecond = 11802.8545e6;  // the program's speed of light

double d(float v) { return static_cast<double>(v); }

using mxtest::ngspice_present;
using mxtest::run_ngspice;

std::string num(double v) { return mxtest::spice_number(v); }

// Largest deviation seen per quantity, printed at the end of the run.
struct Worst {
  const char* kind;
  double il_pass = 0, il_stop = 0, phase = 0, zin_rel = 0, vswr_rel = 0;
  double il_min = 0;
  int points = 0;
  ~Worst() {
    if (points == 0) return;
    std::printf(
        "ngspice comparison, %s, %d points down to %.1f dB: largest |d il| passband %.3g dB, "
        "stopband %.3g dB; |d phase| %.3g deg; |d Zin|/|Zin| %.3g; |d VSWR|/VSWR %.3g\n",
        kind, points, il_min, il_pass, il_stop, phase, zin_rel, vswr_rel);
  }
};
Worst lumped_worst{"lumped ladders"};
Worst coax_worst{"coaxial cascades"};

struct SpicePoint {
  double f_hz;
  cplx v_in, v_out, i_source;  // i_source: ngspice's current through the source
};

struct Compared {
  int rows = 0, pass_rows = 0, stop_rows = 0;
};

// Compares the program's response at f (MHz) with ngspice's node voltages.
void compare_point(Worst& worst, const std::string& what, float f, bool passband,
                   const SweepRow& row, const SpicePoint& s, double zs, double zl) {
  const PortFigures& p = row.figures;
  ASSERT_NEAR(s.f_hz, d(f) * 1.0e6, 1.0e-6 * d(f)) << what << ": frequency grid";
  const cplx s21 = 2.0 * std::sqrt(zs / zl) * s.v_out;  // Vs = 1
  const double il = 10.0 * std::log10(std::norm(s21));
  const double phase = std::arg(s21) * 180.0 / kPi;
  const cplx zin = s.v_in / (-s.i_source);
  const double gamma = std::abs((zin - zs) / (zin + zs));
  const double vswr = (1.0 + gamma) / (1.0 - gamma);

  const double dil = std::fabs(d(p.loss_db) - il);
  double dph = std::fabs(d(p.phase_deg) - phase);
  dph = std::min(dph, 360.0 - dph);
  const double dz = std::abs(cplx(d(p.zin_re), d(p.zin_im)) - zin);

  const double il_tol = passband ? 1.0e-3 : 1.0e-3 + 1.0e-5 * std::fabs(il);
  const double ph_tol = 1.0e-3 + (il_tol - 1.0e-3) / 8.686 * 180.0 / kPi;
  const double z_tol = 1.0e-4 * std::abs(zin) + 1.0e-4;
  EXPECT_LE(dil, il_tol) << what << " at " << f << " MHz: il " << p.loss_db << " vs " << il;
  EXPECT_LE(dph, ph_tol) << what << " at " << f << " MHz: phase " << p.phase_deg << " vs " << phase;
  EXPECT_LE(dz, z_tol) << what << " at " << f << " MHz: Zin " << p.zin_re << "," << p.zin_im
                       << " vs " << zin;
  // VSWR only where the program's limits (|gamma| <= 0.9995, 999.99) are not in play.
  if (gamma < 0.999 && vswr < 900.0) {
    const double dv = std::fabs(d(p.vswr) - vswr) / vswr;
    EXPECT_LE(dv, 1.0e-4 * vswr + 1.0e-5)
        << what << " at " << f << " MHz: VSWR " << p.vswr << " vs " << vswr;
    worst.vswr_rel = std::max(worst.vswr_rel, dv);
  }

  (passband ? worst.il_pass : worst.il_stop) =
      std::max(passband ? worst.il_pass : worst.il_stop, dil);
  worst.phase = std::max(worst.phase, dph);
  worst.zin_rel = std::max(worst.zin_rel, dz / std::abs(zin));
  worst.il_min = std::min(worst.il_min, il);
  ++worst.points;
}

// ---- (a) lumped ladders -------------------------------------------------------

struct LadderCase {
  const char* name;
  Response response;
  Configuration configuration;
  int n;
  float am;  // ripple, dB
};

// Shown by name in the test output instead of as bytes.
void PrintTo(const LadderCase& c, std::ostream* os) { *os << c.name; }

class LumpedLadder : public ::testing::TestWithParam<LadderCase> {};

TEST_P(LumpedLadder, MatchesNgspice) {
  ASSERT_TRUE(ngspice_present()) << "ngspice is not installed (Debian package ngspice)";
  const LadderCase c = GetParam();
  const float fc = 1000.0f, zo = 50.0f;

  DesignRecord ds;
  float am = c.am;
  synthesize_ladder(ds.ladder, am, fc, c.response, c.n, zo);
  ds.design.sections = c.n;
  ds.control.configuration = c.configuration;
  ds.control.option = Option::kElectrical;
  ds.control.origin = Origin::kElectricalSynthesis;
  ds.ports.rs = zo;
  // As the dialog sets them after a synthesis.
  ds.ports.rl =
      c.configuration == Configuration::kDual ? ds.ladder.load_dual : ds.ladder.load_standard;
  ds.ports.xs = ds.ports.xl = 0.0f;

  // 50 .. 2450 MHz by 100: ten points in the passband, fifteen beyond it.
  const int points = 25;
  std::ostringstream net;
  net << "* " << c.name << "\nV1 src 0 DC 0 AC 1\nRs src n1 " << num(d(ds.ports.rs)) << "\n";
  // Shunt capacitors from the current node to ground; a series inductor leads
  // to the next node.
  bool shunt = c.configuration == Configuration::kStandard;
  int node = 1;
  for (int k = 1; k <= c.n; ++k, shunt = !shunt) {
    if (shunt) {
      net << "C" << k << " n" << node << " 0 " << num(d(ds.ladder.shunt_pf(k)) * 1.0e-12) << "\n";
    } else {
      net << "L" << k << " n" << node << " n" << node + 1 << " "
          << num(d(ds.ladder.series_nh(k)) * 1.0e-9) << "\n";
      ++node;
    }
  }
  net << "Rl n" << node << " 0 " << num(d(ds.ports.rl)) << "\n"
      << ".control\nset wr_singlescale\nset wr_vecnames\n"
      << "ac lin " << points << " 50e6 2450e6\n"
      << "wrdata ac.txt v(n1) v(n" << node << ") i(v1)\nquit\n.endc\n.end\n";

  mxtest::TempDir dir;
  const auto rows = run_ngspice(dir.path(), net.str());
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(points))
      << "ngspice gave no result:\n"
      << mxtest::read_file(dir.path() / "ngspice.log");
  for (int k = 0; k < points; ++k) {
    const float f = 50.0f + 100.0f * static_cast<float>(k);
    const SweepRow p = analyse_point(ds, EndSteps{}, f);
    const auto& r = rows[static_cast<std::size_t>(k)];
    ASSERT_EQ(r.size(), 7u);
    const SpicePoint s{r[0], {r[1], r[2]}, {r[3], r[4]}, {r[5], r[6]}};
    compare_point(lumped_worst, c.name, f, f <= fc, p, s, d(ds.ports.rs), d(ds.ports.rl));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ladders, LumpedLadder,
    ::testing::Values(
        LadderCase{"cheb_standard_n5", Response::kChebyshev, Configuration::kStandard, 5, 0.1f},
        LadderCase{"cheb_dual_n5", Response::kChebyshev, Configuration::kDual, 5, 0.5f},
        LadderCase{"cheb_standard_even_n4", Response::kChebyshev, Configuration::kStandard, 4,
                   0.25f},
        LadderCase{"cheb_dual_even_n6", Response::kChebyshev, Configuration::kDual, 6, 0.5f},
        LadderCase{"cheb_standard_n9", Response::kChebyshev, Configuration::kStandard, 9, 1.0f},
        LadderCase{"butter_standard_n7", Response::kButterworth, Configuration::kStandard, 7, 0.1f},
        LadderCase{"butter_dual_even_n4", Response::kButterworth, Configuration::kDual, 4, 0.1f},
        LadderCase{"butter_standard_even_n6", Response::kButterworth, Configuration::kStandard, 6,
                   0.1f}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- (b) lossless coaxial cascades ---------------------------------------------

struct Line {
  float b, dd, er, len;  // outer and inner diameter (inch), dielectric, length (inch)
};

struct CoaxCase {
  const char* name;
  std::vector<Line> lines;  // source line, sections, load line
  float fstart, fstep;      // MHz
  float fpass;              // passband edge used for the tolerance, MHz
};

// Shown by name in the test output instead of as bytes.
void PrintTo(const CoaxCase& c, std::ostream* os) { *os << c.name; }

class CoaxCascade : public ::testing::TestWithParam<CoaxCase> {};

TEST_P(CoaxCascade, MatchesNgspice) {
  ASSERT_TRUE(ngspice_present()) << "ngspice is not installed (Debian package ngspice)";
  const CoaxCase& c = GetParam();
  const int n = static_cast<int>(c.lines.size()) - 2;

  DesignRecord ds;
  ds.design.sections = n;
  ds.control.option = Option::kDistributed;
  ds.control.origin = Origin::kDistributedEntered;
  ds.losses.resistivity = 0.0f;
  ds.losses.roughness = 0.0f;
  ds.losses.loss_tangent = 0.0f;
  EnteredLines& a = ds.entered;
  for (int i = 0; i <= n + 1; ++i) {
    const Line& l = c.lines[static_cast<std::size_t>(i)];
    a.outer(i) = l.b;
    a.inner(i) = l.dd;
    a.er(i) = l.er;
    a.length(i) = l.len;
    a.zo(i) = line_impedance(l.b, l.dd, l.er);
  }
  ds.ports.rs = a.zo(0);
  ds.ports.rl = a.zo(n + 1);
  ds.ports.xs = ds.ports.xl = 0.0f;

  const int points = 24;
  std::vector<SweepRow> response(static_cast<std::size_t>(points));
  std::ostringstream net;
  net << "* " << c.name << ": one copy of the cascade per frequency\n";
  std::string vectors;
  for (int k = 0; k < points; ++k) {
    const float f = c.fstart + c.fstep * static_cast<float>(k);
    response[static_cast<std::size_t>(k)] = analyse_point(ds, EndSteps{}, f);
    TwoPort rs;
    // The junctions at f (the group delay left them at f * 1.0001).
    coax_cascade(ds, EndSteps{}, f, rs);
    const std::string s = "_" + std::to_string(k);
    net << "V" << s << " src" << s << " 0 DC 0 AC 1\n"
        << "Rs" << s << " src" << s << " j0" << s << " " << num(d(ds.ports.rs)) << "\n";
    for (int i = 0; i <= n; ++i) {
      net << "C" << i << s << " j" << i << s << " 0 " << num(d(a.junction_f(i))) << "\n";
      if (i == n) break;
      const int sec = i + 1;
      const double td = d(a.length(sec)) * std::sqrt(d(a.er(sec))) / kInchPerSecond;
      net << "T" << sec << s << " j" << i << s << " 0 j" << sec << s
          << " 0 Z0=" << num(d(a.zo(sec))) << " TD=" << num(td) << "\n";
    }
    net << "Rl" << s << " j" << n << s << " 0 " << num(d(ds.ports.rl)) << "\n";
    vectors += " v(j0" + s + ") v(j" + std::to_string(n) + s + ") i(v" + s + ")";
  }
  const double f0 = d(c.fstart) * 1.0e6;
  const double f1 = (d(c.fstart) + d(c.fstep) * (points - 1)) * 1.0e6;
  net << ".control\nset wr_singlescale\nset wr_vecnames\n"
      << "ac lin " << points << " " << num(f0) << " " << num(f1) << "\n"
      << "wrdata ac.txt" << vectors << "\nquit\n.endc\n.end\n";

  mxtest::TempDir dir;
  const auto rows = run_ngspice(dir.path(), net.str());
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(points))
      << "ngspice gave no result:\n"
      << mxtest::read_file(dir.path() / "ngspice.log");
  int pass = 0, stop = 0;
  for (int k = 0; k < points; ++k) {
    const float f = c.fstart + c.fstep * static_cast<float>(k);
    const float il = response[static_cast<std::size_t>(k)].figures.loss_db;
    if (f <= c.fpass) {
      EXPECT_GT(il, -3.0f) << c.name << " at " << f << " MHz is not in the passband";
      ++pass;
    }
    if (il < -20.0f) ++stop;
    const auto& r = rows[static_cast<std::size_t>(k)];
    ASSERT_EQ(r.size(), static_cast<std::size_t>(1 + 6 * points));
    const std::size_t o = 1 + 6 * static_cast<std::size_t>(k);
    const SpicePoint s{r[0], {r[o], r[o + 1]}, {r[o + 2], r[o + 3]}, {r[o + 4], r[o + 5]}};
    compare_point(coax_worst, c.name, f, f <= c.fpass, response[static_cast<std::size_t>(k)], s,
                  d(ds.ports.rs), d(ds.ports.rl));
  }
  EXPECT_GE(pass, 5) << "too few passband points";
  EXPECT_GE(stop, 5) << "too few points attenuated by more than 20 dB";
}

// A 50-ohm air line (B 0.5, D 0.2172), high-impedance sections D 0.1 and
// low-impedance sections D 0.45, all of one outer diameter: a 7-section
// standard filter cut off near 1.5 GHz, analysed to 4.7 GHz.
const std::vector<Line> kAirStandard7 = {
    {0.5f, 0.2172f, 1.0f, 0.0f}, {0.5f, 0.45f, 1.0f, 0.21f}, {0.5f, 0.1f, 1.0f, 0.62f},
    {0.5f, 0.45f, 1.0f, 0.40f},  {0.5f, 0.1f, 1.0f, 0.70f},  {0.5f, 0.45f, 1.0f, 0.40f},
    {0.5f, 0.1f, 1.0f, 0.62f},   {0.5f, 0.45f, 1.0f, 0.21f}, {0.5f, 0.2172f, 1.0f, 0.0f}};

// PTFE-filled lines with steps in both conductors: 6 sections starting with a
// high-impedance line, a 50-ohm source line and a 30-ohm load line.
const std::vector<Line> kPtfeDual6 = {{0.3f, 0.0868f, 2.1f, 0.0f}, {0.3f, 0.03f, 2.1f, 0.25f},
                                      {0.45f, 0.36f, 2.1f, 0.18f}, {0.3f, 0.03f, 2.1f, 0.40f},
                                      {0.45f, 0.36f, 2.1f, 0.22f}, {0.3f, 0.03f, 2.1f, 0.35f},
                                      {0.45f, 0.36f, 2.1f, 0.12f}, {0.35f, 0.1737f, 2.1f, 0.0f}};

INSTANTIATE_TEST_SUITE_P(
    Cascades, CoaxCascade,
    ::testing::Values(CoaxCase{"air_standard_n7", kAirStandard7, 100.0f, 200.0f, 1200.0f},
                      CoaxCase{"ptfe_dual_even_n6", kPtfeDual6, 50.0f, 150.0f, 1000.0f}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mx
