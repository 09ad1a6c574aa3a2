#include "analysis/port_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>

#include "analysis/coax_cascade.h"
#include "analysis/lumped_cascade.h"
#include "analysis/sweep.h"
#include "line/impedance.h"

namespace mx {
namespace {

struct Ports {
  float il = -1, phf = -1, rtl = -1, vswr = -1, zini = -1, zinr = -1;
};

Ports quantities(const TwoPort& rs, float zrs, float zrl, float zis = 0.0f, float zil = 0.0f) {
  const PortFigures f = port_figures(rs, Terminations{zrs, zis, zrl, zil});
  Ports p;
  p.il = f.loss_db;
  p.phf = f.phase_deg;
  p.rtl = f.return_loss_db;
  p.vswr = f.vswr;
  p.zini = f.zin_im;
  p.zinr = f.zin_re;
  return p;
}

// One analysed point in the report's terms.
struct PointResponse {
  float zinr = 0, zini = 0, vswr = 0, il = 0, phf = 0, rtl = 0, td = 0;
};

PointResponse point(DesignRecord& ds, float f) {
  const SweepRow row = analyse_point(ds, EndSteps{}, f);
  const PortFigures& p = row.figures;
  return {p.zin_re, p.zin_im, p.vswr, p.loss_db, p.phase_deg, p.return_loss_db, row.delay_ns};
}

// A lumped ladder between real terminations, analysed with iop 1.
DesignRecord lumped(int icfg, int n, float zs, float zl) {
  DesignRecord ds;
  ds.control.option = Option::kElectrical;
  ds.control.origin = Origin::kLumpedEntered;
  ds.control.configuration = static_cast<Configuration>(icfg);
  ds.design.sections = n;
  ds.ports.rs = zs;
  ds.ports.rl = zl;
  return ds;
}

TEST(PortFigures, ThroughConnection) {
  DesignRecord ds = lumped(1, 0, 50.0f, 50.0f);
  const PointResponse r = point(ds, 500.0f);
  EXPECT_FLOAT_EQ(r.zinr, 50.0f);
  EXPECT_EQ(r.zini, 0.0f);
  EXPECT_FLOAT_EQ(r.vswr, 1.0f);
  EXPECT_NEAR(r.il, 0.0f, 1e-6f);
  EXPECT_EQ(r.phf, 0.0f);
  EXPECT_EQ(r.td, 0.0f);

  const Ports p = quantities(TwoPort::identity(), 50.0f, 100.0f);
  EXPECT_FLOAT_EQ(p.zinr, 100.0f);
  EXPECT_FLOAT_EQ(p.vswr, 2.0f);
  EXPECT_NEAR(p.il, -0.5115f, 0.0001f);  // 10 log10(8/9)
  EXPECT_NEAR(p.rtl, -9.542f, 0.001f);   // |reflection| 1/3
  EXPECT_EQ(p.phf, 0.0f);
}

TEST(PortFigures, SeriesInductorPhaseAndDelay) {
  DesignRecord ds = lumped(2, 1, 50.0f, 50.0f);
  ds.ladder.series_nh(1) = 10.0f;
  ds.ladder.shunt_pf(1) = 1000.0f;  // not read at a series position
  const PointResponse r = point(ds, 1000.0f);
  EXPECT_NEAR(r.phf, -32.14f, 0.01f);  // -atan(62.83 / 100)
  // d(phase)/d(omega) = (L / 2Z0) / (1 + (wL / 2Z0)^2) = 0.0717 ns.
  EXPECT_GT(r.td, 0.0f);
  EXPECT_NEAR(r.td, 0.0717f, 0.0005f);
  EXPECT_FLOAT_EQ(r.zinr, 50.0f);
  EXPECT_NEAR(r.zini, 62.83f, 0.01f);
}

TEST(PortFigures, LimitsHoldEveryFigureFinite) {
  // Near short across the input: 1e6 pF at 1000 MHz.
  DesignRecord ds = lumped(1, 1, 50.0f, 50.0f);
  ds.ladder.shunt_pf(1) = 1.0e6f;
  const PointResponse r = point(ds, 1000.0f);
  EXPECT_EQ(r.vswr, 999.99f);
  EXPECT_NEAR(r.rtl, 20.0f * std::log10(0.9995f), 1e-5f);

  // Very large and very negative input impedance.
  TwoPort m;
  m.v[6] = 1.0e-6f;  // D tiny: Zin = 50 / 1e-6
  Ports p = quantities(m, 50.0f, 50.0f);
  EXPECT_EQ(p.zinr, 99999.99f);
  m = TwoPort::identity();
  m.v[3] = -1.0e6f;  // B = -j1e6
  p = quantities(m, 50.0f, 50.0f);
  EXPECT_FLOAT_EQ(p.zini, -1.0e6f);  // negative values are not limited

  // |S21|^2 below 1e-30 is held there: -300 dB.
  m.v = {1.0e15f, 0, 1.0e15f, 0, 1.0e15f, 0, 1.0e15f, 0};
  p = quantities(m, 1.0f, 1.0f);
  EXPECT_FLOAT_EQ(p.il, -300.0f);

  // A NaN in the matrix gives NaN figures, not a crash.
  m.v[0] = std::numeric_limits<float>::quiet_NaN();
  p = quantities(m, 50.0f, 50.0f);
  EXPECT_TRUE(std::isnan(p.phf));
  EXPECT_TRUE(std::isnan(p.vswr));
}

TEST(PortFigures, PhaseOnlyModeLeavesTheRestAlone) {
  TwoPort m;
  m.v[3] = 50.0f;
  Ports p;
  p.phf = transmission_phase(m, Terminations{50.0f, 0.0f, 50.0f, 0.0f});
  EXPECT_EQ(p.phf, quantities(m, 50.0f, 50.0f).phf);
  EXPECT_NEAR(p.phf, -26.565f, 0.001f);
  EXPECT_EQ(p.il, -1.0f);
  EXPECT_EQ(p.rtl, -1.0f);
  EXPECT_EQ(p.vswr, -1.0f);
  EXPECT_EQ(p.zini, -1.0f);
  EXPECT_EQ(p.zinr, -1.0f);
}

TEST(PortFigures, GeneralMatrixBetweenComplexTerminations) {
  using C = std::complex<double>;
  TwoPort m;
  m.v = {0.62f, 0.11f, 12.5f, 48.0f, 0.0031f, 0.0123f, 0.84f, -0.07f};
  const float zrs = 40.0f, zis = -15.0f, zrl = 65.0f, zil = 22.0f;
  const Ports p = quantities(m, zrs, zrl, zis, zil);
  const auto c = [&](int i) {
    return C(static_cast<double>(m.v[static_cast<std::size_t>(i)]),
             static_cast<double>(m.v[static_cast<std::size_t>(i) + 1]));
  };
  const C a = c(0), b = c(2), cc = c(4), d = c(6);
  const C zs(static_cast<double>(zrs), static_cast<double>(zis));
  const C zl(static_cast<double>(zrl), static_cast<double>(zil));
  const C s21 = 2.0 * std::sqrt(zs / zl) / (a + b / zl + cc * zs + d * zs / zl);
  const C zin = (a * zl + b) / (cc * zl + d);
  const double gamma = std::abs((zin - zs) / (zin + zs));
  EXPECT_NEAR(p.phf, std::arg(s21) * 180.0 / 3.14159265358979, 1e-3);
  EXPECT_NEAR(p.il, 10.0 * std::log10(std::norm(s21)), 1e-4);
  EXPECT_NEAR(p.zinr, zin.real(), 1e-3);
  EXPECT_NEAR(p.zini, zin.imag(), 1e-3);
  EXPECT_NEAR(p.vswr, (1.0 + gamma) / (1.0 - gamma), 1e-4);
  EXPECT_NEAR(p.rtl, 20.0 * std::log10(gamma), 1e-4);
}

// |S21|^2 + |S11|^2 of a lossless two-port between equal real terminations.
double power_sum(const PointResponse& r) {
  return std::pow(10.0, static_cast<double>(r.il) / 10.0) +
         std::pow(10.0, static_cast<double>(r.rtl) / 10.0);
}

TEST(PortFigures, LosslessCascadesConservePower) {
  // A seven-element 50-ohm lumped low-pass ladder near its 1 GHz cutoff.
  DesignRecord ds = lumped(1, 7, 50.0f, 50.0f);
  const float g[8] = {0, 1.1812f, 1.4228f, 2.0967f, 1.5734f, 2.0967f, 1.4228f, 1.1812f};
  for (int k = 1; k <= 7; ++k) {
    ds.ladder.shunt_pf(k) = g[k] / (2.0f * 3.14159274f * 1.0e9f * 50.0f) * 1.0e12f;
    ds.ladder.series_nh(k) = g[k] * 50.0f / (2.0f * 3.14159274f * 1.0e9f) * 1.0e9f;
  }
  for (float f : {100.0f, 700.0f, 990.0f, 1200.0f}) {
    const PointResponse r = point(ds, f);
    EXPECT_NEAR(power_sum(r), 1.0, 2e-5) << f;
  }

  // An entered coaxial circuit of nine sections, no conductor or dielectric loss.
  DesignRecord cx;
  cx.control.option = Option::kDistributed;
  cx.control.origin = Origin::kDistributedEntered;
  cx.design.sections = 9;
  for (int k = 0; k <= 10; ++k) {
    const bool ends = k == 0 || k == 10;
    cx.entered.outer(k) = 0.5f;
    cx.entered.inner(k) = ends ? 0.2172f : (k % 2 ? 0.4f : 0.06f);
    cx.entered.er(k) = ends ? 1.0f : (k % 2 ? 2.1f : 1.0f);
    cx.entered.length(k) = 0.15f + 0.01f * static_cast<float>(k);
    cx.entered.zo(k) = line_impedance(cx.entered.outer(k), cx.entered.inner(k), cx.entered.er(k));
  }
  cx.ports.rs = cx.entered.zo(0);
  cx.ports.rl = cx.entered.zo(10);
  cx.losses.loss_tangent = 0.0f;
  cx.losses.resistivity = 0.0f;
  cx.losses.roughness = 1.0e-4f;
  for (float f : {200.0f, 1500.0f, 3000.0f, 3500.0f}) {
    const PointResponse r = point(cx, f);
    EXPECT_NEAR(power_sum(r), 1.0, 5e-5) << f;
  }
  // A synthesized filter of five sections, standard configuration, air lines.
  DesignRecord syn;
  syn.control.option = Option::kDistributed;
  syn.control.origin = Origin::kDistributedSynthesis;
  syn.control.configuration = Configuration::kStandard;
  syn.design.sections = 5;
  const float b[4] = {0.5f, 0.5f, 0.5f, 0.5f};
  const float d[4] = {0.2172f, 0.06f, 0.4f, 0.2172f};
  for (int k = 0; k < 4; ++k) {
    syn.lines.outer(k) = b[k];
    syn.lines.inner(k) = d[k];
    syn.lines.er(k) = 1.0f;
    syn.lines.zo(k) = line_impedance(b[k], d[k], 1.0f);
  }
  syn.coax.z_high = syn.lines.zo(1);
  syn.coax.z_low = syn.lines.zo(2);
  syn.coax.v_high = syn.coax.v_low = 11802.8545e6f;
  for (int i = 1; i <= 5; ++i) {
    syn.coax.length(i) = 0.3f;
    syn.coax.step_f(i, 1) = syn.coax.step_f(i, 2) = i % 2 ? 2.4e-13f : 0.0f;
  }
  syn.coax.factor3 = 1.001f;
  syn.ports.rs = syn.ports.rl = 50.0f;
  for (float f : {300.0f, 1500.0f, 2500.0f}) {
    const PointResponse r = point(syn, f);
    EXPECT_NEAR(power_sum(r), 1.0, 5e-5) << f;
  }

  // With loss the sum falls below 1.
  cx.losses.resistivity = 1.724e-6f / 2.54f;
  cx.losses.loss_tangent = 0.0004f;
  const PointResponse lossy = point(cx, 3000.0f);
  EXPECT_LT(power_sum(lossy), 0.9999);
}

TEST(GroupDelay, PhaseWrapTakesTheLowerSide) {
  // Three-element ladder whose phase passes -180 degrees above 1 GHz.
  DesignRecord ds = lumped(1, 3, 50.0f, 50.0f);
  ds.ladder.shunt_pf(1) = 3.183f;
  ds.ladder.series_nh(2) = 15.92f;
  ds.ladder.shunt_pf(3) = 3.183f;
  auto phase = [&](float f) {
    const PointResponse r = point(ds, f);
    return r.phf;
  };
  // Bisect for the highest frequency whose phase is still negative.
  float lo = 1000.0f, hi = 3000.0f;
  ASSERT_LT(phase(lo), 0.0f);
  ASSERT_GT(phase(hi), 0.0f);
  while (std::nextafter(lo, hi) != hi) {
    const float mid = lo + (hi - lo) * 0.5f;
    if (mid == lo || mid == hi) break;
    (phase(mid) < 0.0f ? lo : hi) = mid;
  }
  const float f = lo;
  const PointResponse r = point(ds, f);
  EXPECT_LT(r.phf, -179.9f);
  ASSERT_GT(phase(f * 1.0001f), 179.9f);  // the upper step wraps

  // The delay is the one taken from f / 1.0001.
  TwoPort rs;
  const float fp = f / 1.0001f;
  lumped_cascade(ds, fp, rs);
  const float pp = transmission_phase(rs, Terminations{50.0f, 0.0f, 50.0f, 0.0f});
  const float k = (3.14159274f + 3.14159274f) / 360.0f;
  const float want =
      std::fabs(1000.0f / (3.14159274f + 3.14159274f) * (pp * k - r.phf * k) / (fp - f));
  EXPECT_EQ(r.td, want);
  // And it matches the smooth delay just below, without a 360-degree jump.
  const PointResponse below = point(ds, f * 0.995f);
  EXPECT_NEAR(r.td, below.td, 0.02f * below.td);
  EXPECT_LT(r.td, 1.0f);
}

TEST(GroupDelay, CascadeChosenByOrigin) {
  // A coaxial circuit (one inch of 50-ohm air line) and, in the same record,
  // a lumped near short; the origin decides which one the delay is taken of.
  DesignRecord ds;
  ds.control.option = Option::kElectrical;
  ds.control.origin = Origin::kDistributedEntered;
  ds.design.sections = 1;
  ds.control.configuration = Configuration::kStandard;
  ds.ladder.shunt_pf(1) = 1.0e6f;
  for (int k = 0; k <= 2; ++k) {
    ds.entered.outer(k) = 0.5f;
    ds.entered.inner(k) = 0.2172f;
    ds.entered.er(k) = 1.0f;
    ds.entered.zo(k) = line_impedance(0.5f, 0.2172f, 1.0f);
  }
  ds.entered.length(1) = 1.0f;
  ds.ports.rs = ds.ports.rl = ds.entered.zo(0);
  const float f = 1000.0f;
  TwoPort rs;
  coax_cascade(ds, EndSteps{}, f, rs);
  Ports p = quantities(rs, ds.ports.rs, ds.ports.rl);
  float td = group_delay(ds, EndSteps{}, f, p.phf);
  EXPECT_NEAR(td, 0.084726f, 0.0002f);  // 1 / 11.8028545 ns

  ds.control.option = Option::kDistributed;
  const PointResponse r = point(ds, f);
  EXPECT_EQ(r.td, td);
  EXPECT_NEAR(r.vswr, 1.0f, 1e-4f);

  ds.control.origin = Origin::kLumpedEntered;  // now the lumped ladder
  lumped_cascade(ds, f, rs);
  p = quantities(rs, ds.ports.rs, ds.ports.rl);
  td = group_delay(ds, EndSteps{}, f, p.phf);
  EXPECT_NEAR(td, 0.0f, 1e-4f);
}

}  // namespace
}  // namespace mx
