// The computed ladders (Bessel, Legendre, elliptic) against references made
// without this program's synthesis:
// - elliptic (odd orders) and Bessel: SciPy's analog prototypes
//   (analog_reference.py: signal.ellipap, signal.besselap(norm='mag')). The
//   program's analysed loss of the synthesized ladder (float sweep, 50-ohm
//   terminations) equals |H| within 0.01 dB wherever |H| is above -60 dB,
//   and each arm's resonance equals a transmission zero of SciPy's within
//   0.1 %;
// - Legendre: the optimum-L polynomials as published (A. Papoulis, Proc. IRE
//   46, 1958; M. Fukada, IRE Trans. CT-6, 1959), |S21|^2 = 1 / (1 + L_n(w^2));
// - even-order elliptic (type C, which SciPy does not make): no loss at DC,
//   the ripple and no more up to the cutoff, at least the stopband
//   attenuation from the reported stopband edge on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/elements.h"
#include "analysis/sweep.h"
#include "model/design_record.h"
#include "synthesis/ladder.h"
#include "synthesis/prototype.h"

namespace mx {
namespace {

constexpr float kCutoffMhz = 100.0f;
constexpr float kZo = 50.0f;

struct Case {
  Response response;
  int n;
  float ripple_db, stopband_db;
};

std::string name(const Case& c) {
  std::ostringstream s;
  s << (c.response == Response::kElliptic ? "elliptic" : "bessel") << " n " << c.n << " "
    << c.ripple_db << " dB / " << c.stopband_db << " dB";
  return s.str();
}

// A synthesized ladder in configuration cfg, terminated in Zo at both ends.
DesignRecord synthesized(const Case& c, Configuration cfg) {
  DesignRecord ds;
  ds.control.function = Function::kSynthesis;
  ds.control.option = Option::kElectrical;
  ds.control.origin = Origin::kElectricalSynthesis;
  ds.control.response = c.response;
  ds.control.configuration = cfg;
  ds.design.cutoff_mhz = kCutoffMhz;
  ds.design.ripple_db = c.ripple_db;
  ds.design.stopband_db = c.stopband_db;
  ds.design.sections = c.n;
  ds.design.system_impedance = kZo;
  EXPECT_EQ(synthesize_computed_ladder(ds.ladder, ds.design, c.response), "") << name(c);
  ds.ports = Terminations{kZo, 0.0f, kZo, 0.0f};
  return ds;
}

// The numbers of each output line of the reference script.
std::vector<std::vector<double>> reference(const Case& c, const std::vector<float>& f_mhz) {
  std::ostringstream cmd;
  cmd << "/usr/bin/python3 " << MANDRELIX_SOURCE_DIR << "/tests/verify/analog_reference.py "
      << (c.response == Response::kElliptic ? "elliptic" : "bessel") << ' ' << c.n;
  if (c.response == Response::kElliptic) cmd << ' ' << c.ripple_db << ' ' << c.stopband_db;
  char text[40];
  for (float f : f_mhz) {
    std::snprintf(text, sizeof text, " %.17g", static_cast<double>(f / kCutoffMhz));
    cmd << text;
  }
  std::vector<std::vector<double>> lines;
  FILE* pipe = popen(cmd.str().c_str(), "r");
  if (pipe == nullptr) return lines;
  std::string out;
  char buf[4096];
  for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, got);
  pclose(pipe);
  std::istringstream all(out);
  for (std::string line; std::getline(all, line);) {
    std::istringstream s(line);
    std::vector<double> v;
    for (double x; s >> x;) v.push_back(x);
    lines.push_back(v);
  }
  return lines;
}

std::vector<float> grid() {
  std::vector<float> f;
  for (int k = 1; k <= 500; ++k) f.push_back(1.0f * static_cast<float>(k));  // to 5 FC1
  return f;
}

class AgainstScipy : public ::testing::TestWithParam<Case> {};

TEST_P(AgainstScipy, LossAndTransmissionZeros) {
  const Case c = GetParam();
  const std::vector<float> f = grid();
  const auto ref = reference(c, f);
  ASSERT_EQ(ref.size(), 2u) << "no reference from SciPy (python3-scipy) for " << name(c);
  ASSERT_EQ(ref[0].size(), f.size());
  for (Configuration cfg : {Configuration::kStandard, Configuration::kDual}) {
    DesignRecord ds = synthesized(c, cfg);
    double worst = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (ref[0][i] < -60.0) continue;
      const double loss = static_cast<double>(analyse_point(ds, EndSteps{}, f[i]).figures.loss_db);
      worst = std::max(worst, std::fabs(loss - ref[0][i]));
      EXPECT_NEAR(loss, ref[0][i], 0.01) << name(c) << " at " << f[i] << " MHz";
    }
    std::printf("%s %s: largest |d loss| %.2g dB\n", name(c).c_str(),
                cfg == Configuration::kDual ? "dual" : "standard", worst);

    std::vector<double> zeros;
    for (int k = 1; k <= c.n; ++k) {
      const Ladder& l = ds.ladder;
      if (l.tank_pf(k) == 0.0f) continue;
      const float standard = resonance_mhz(l.series_nh(k), l.tank_pf(k));
      const float dual = resonance_mhz(l.trap_nh(k), l.shunt_pf(k));
      EXPECT_NEAR(standard, dual, 1e-5f * standard);
      zeros.push_back(static_cast<double>(standard / kCutoffMhz));
    }
    std::sort(zeros.begin(), zeros.end());
    ASSERT_EQ(zeros.size(), ref[1].size()) << name(c);
    for (std::size_t i = 0; i < zeros.size(); ++i)
      EXPECT_NEAR(zeros[i], ref[1][i], 1e-3 * ref[1][i]) << name(c) << " zero " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Prototypes, AgainstScipy,
    ::testing::Values(
        Case{Response::kElliptic, 3, 0.1f, 30.0f}, Case{Response::kElliptic, 3, 1.0f, 50.0f},
        Case{Response::kElliptic, 5, 0.1f, 60.0f}, Case{Response::kElliptic, 5, 0.5f, 40.0f},
        Case{Response::kElliptic, 7, 0.1f, 60.0f}, Case{Response::kElliptic, 7, 0.01f, 80.0f},
        Case{Response::kElliptic, 7, 1.0f, 45.0f}, Case{Response::kElliptic, 9, 0.1f, 80.0f},
        Case{Response::kElliptic, 9, 0.25f, 100.0f}, Case{Response::kBessel, 3, 0, 0},
        Case{Response::kBessel, 5, 0, 0}, Case{Response::kBessel, 8, 0, 0},
        Case{Response::kBessel, 12, 0, 0}, Case{Response::kBessel, 15, 0, 0}));

// L_n(w) of the published tables, ascending powers of w = omega^2.
TEST(Legendre, CharacteristicAndLadderMatchThePublishedPolynomials) {
  const std::vector<std::vector<double>> published = {
      {0, 1},
      {0, 0, 1},
      {0, 1, -3, 3},
      {0, 0, 3, -8, 6},
      {0, 1, -8, 28, -40, 20},
      {0, 0, 6, -40, 105, -120, 50},
      {0, 1, -15, 105, -355, 615, -525, 175},
      {0, 0, 10, -120, 615, -1624, 2310, -1680, 490},
  };
  for (std::size_t i = 0; i < published.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    const std::vector<double> l = legendre_characteristic(n);
    ASSERT_EQ(l.size(), published[i].size()) << "n " << n;
    for (std::size_t k = 0; k < l.size(); ++k)
      EXPECT_NEAR(l[k], published[i][k], 1e-9 * std::max(1.0, std::fabs(published[i][k])))
          << "n " << n << " w^" << k;

    // The analysed ladder: 1 / (1 + L_n), -3.01 dB at the cutoff, and falling throughout.
    DesignRecord ds = synthesized(Case{Response::kLegendre, n, 0, 0}, Configuration::kStandard);
    float before = 1.0f;
    for (float f = 2.0f; f <= 400.0f; f += 2.0f) {
      const double w = static_cast<double>(f / kCutoffMhz);
      double lw = 0.0;
      for (std::size_t k = l.size(); k-- > 0;) lw = lw * w * w + published[i][k];
      const double want = -10.0 * std::log10(1.0 + lw);
      const float loss = analyse_point(ds, EndSteps{}, f).figures.loss_db;
      if (want > -60.0) EXPECT_NEAR(static_cast<double>(loss), want, 0.01) << n << " " << f;
      EXPECT_LT(loss, before) << "n " << n << ": not monotonic at " << f << " MHz";
      before = loss;
    }
    EXPECT_NEAR(analyse_point(ds, EndSteps{}, kCutoffMhz).figures.loss_db, -3.0103f, 0.0005f);
  }
}

// The steepest monotonic skirt: at the cutoff, L_n rises faster than the
// Butterworth w^n (dL/dw at 1 above n) for n >= 3.
TEST(Legendre, SkirtIsSteeperThanButterworth) {
  for (int n = 3; n <= 15; ++n) {
    const std::vector<double> l = legendre_characteristic(n);
    double slope = 0.0;
    for (std::size_t k = 1; k < l.size(); ++k) slope += static_cast<double>(k) * l[k];
    EXPECT_GT(slope, static_cast<double>(n)) << "n " << n;
  }
}

// Type C elliptic ladders of even order, and the odd ones at orders SciPy was
// not asked about, by their defining properties.
TEST(Elliptic, EvenAndHighOrdersKeepTheirBands) {
  const Case cases[] = {
      {Response::kElliptic, 4, 0.1f, 40.0f},   {Response::kElliptic, 6, 0.5f, 60.0f},
      {Response::kElliptic, 8, 0.1f, 70.0f},   {Response::kElliptic, 10, 0.2f, 80.0f},
      {Response::kElliptic, 13, 0.1f, 100.0f}, {Response::kElliptic, 15, 0.1f, 120.0f}};
  for (const Case& c : cases) {
    for (Configuration cfg : {Configuration::kStandard, Configuration::kDual}) {
      DesignRecord ds = synthesized(c, cfg);
      EXPECT_FLOAT_EQ(ds.ladder.load_standard, kZo);
      EXPECT_NEAR(analyse_point(ds, EndSteps{}, 0.01f).figures.loss_db, 0.0f, 1e-4f) << name(c);
      float worst_pass = 0.0f;
      for (float f = 0.5f; f <= kCutoffMhz; f += 0.5f)
        worst_pass = std::min(worst_pass, analyse_point(ds, EndSteps{}, f).figures.loss_db);
      EXPECT_NEAR(worst_pass, -c.ripple_db, 0.002f) << name(c);
      const float edge = ds.design.stopband_edge_mhz;
      EXPECT_GT(edge, kCutoffMhz) << name(c);
      for (float f = edge; f <= 20.0f * kCutoffMhz; f += 0.25f)
        EXPECT_LE(analyse_point(ds, EndSteps{}, f).figures.loss_db, -c.stopband_db + 0.01f)
            << name(c) << " at " << f;
    }
  }
}

// What cannot be made is refused in one line, and nothing is written.
TEST(ComputedLadder, Refusals) {
  const struct {
    Response response;
    int n;
    float ripple_db, stopband_db;
    const char* says;
  } refusals[] = {
      {Response::kElliptic, 2, 0.1f, 40.0f, "order of 3 to 15"},
      {Response::kElliptic, 16, 0.1f, 40.0f, "order of 3 to 15"},
      {Response::kBessel, 16, 0, 0, "order of 1 to 15"},
      {Response::kLegendre, 0, 0, 0, "order of 1 to 15"},
      {Response::kElliptic, 5, 0.0f, 40.0f, "ripple"},
      {Response::kElliptic, 5, 3.5f, 40.0f, "ripple"},
      {Response::kElliptic, 5, 0.5f, 0.4f, "stopband"},
      {Response::kElliptic, 5, 0.5f, 250.0f, "stopband"},
  };
  for (const auto& r : refusals) {
    DesignRecord ds;
    ds.design.sections = r.n;
    ds.design.ripple_db = r.ripple_db;
    ds.design.stopband_db = r.stopband_db;
    ds.design.cutoff_mhz = kCutoffMhz;
    ds.design.system_impedance = kZo;
    const std::string why = synthesize_computed_ladder(ds.ladder, ds.design, r.response);
    EXPECT_NE(why.find(r.says), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
    EXPECT_EQ(ds.ladder.shunt_pf(1), 0.0f);
  }
}

}  // namespace
}  // namespace mx
