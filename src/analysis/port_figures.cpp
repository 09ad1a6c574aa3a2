#include "analysis/port_figures.h"

#include <cmath>

#include "analysis/lumped_cascade.h"
#include "base/units.h"

namespace mx {
namespace {

constexpr float kMaxReflection = 0.9995f;
constexpr float kMaxVswr = 999.99f;
constexpr float kMinPowerGain = 1.0e-30f;
constexpr float kMaxImpedance = 99999.99f;
constexpr float kMaxLoss = 9999.99f;

// The figures of rs; when phase_only, only phase_deg is filled in.
PortFigures figures(const TwoPort& rs, const PortTerms& p, bool phase_only) {
  PortFigures out;
  const auto& m = rs.v;
  const float zrs = p.t.rs, zis = p.t.xs, zrl = p.t.rl, zil = p.t.xl;
  const float temp = p.zl2;
  float tr = 0.0f;
  float ti = 0.0f;

  // e2deg = A + B/ZL + C ZS + D ZS/ZL, with 1/ZL as conj(ZL)/|ZL|^2.
  float er = 0.0f;
  float ei = 0.0f;
  complex_product(er, ei, m[6], m[7], p.zsr, p.zsi);
  er = er / temp;
  ei = ei / temp;
  complex_product(tr, ti, m[4], m[5], zrs, zis);
  er = er + tr;
  ei = ei + ti;
  complex_product_conj(tr, ti, m[2], m[3], zrl, zil);
  er = tr / temp + er + m[0];
  ei = ti / temp + ei + m[1];
  // Its reciprocal.
  const float emag = er * er + ei * ei;
  er = er / emag;
  ei = -(ei / emag);
  const float qr = p.qr;
  const float qi = p.qi;

  // S21 = 2 sqrt(ZS/ZL) / e2deg (e2deg already inverted).
  float sr = 0.0f;
  float si = 0.0f;
  complex_product(sr, si, qr, qi, er, ei);
  sr = sr * 2.0f;
  si = si * 2.0f;
  out.phase_deg = angle_of(sr, si) * (180.0f / kPi);
  if (phase_only) return out;

  float il = sr * sr + si * si;
  if (il < kMinPowerGain) il = kMinPowerGain;
  il = 10.0f * std::log10(il);

  // Zin = (A ZL + B) / (C ZL + D).
  float nr = 0.0f;
  float ni = 0.0f;
  complex_product(nr, ni, m[0], m[1], zrl, zil);
  nr = nr + m[2];
  ni = ni + m[3];
  float dr = 0.0f;
  float di = 0.0f;
  complex_product(dr, di, m[4], m[5], zrl, zil);
  dr = dr + m[6];
  di = di + m[7];
  complex_product_conj(tr, ti, nr, ni, dr, di);
  float q = 1.0f / (dr * dr + di * di);
  float zinr = tr * q;
  float zini = ti * q;

  // Reflection against the source, (Zin - ZS) / (Zin + ZS).
  nr = zinr - zrs;
  ni = zini - zis;
  dr = zinr + zrs;
  di = zini + zis;
  complex_product_conj(tr, ti, nr, ni, dr, di);
  q = 1.0f / (dr * dr + di * di);
  const float gr = tr * q;
  const float gi = ti * q;
  float ags = std::sqrt(gr * gr + gi * gi);
  if (ags > kMaxReflection) ags = kMaxReflection;
  float vswr = (ags + 1.0f) / (1.0f - ags);
  if (vswr > kMaxVswr) vswr = kMaxVswr;
  out.return_loss_db = 20.0f * std::log10(ags);

  if (zinr > kMaxImpedance) zinr = kMaxImpedance;
  if (zini > kMaxImpedance) zini = kMaxImpedance;
  if (il > kMaxLoss) il = kMaxLoss;
  out.loss_db = il;
  out.vswr = vswr;
  out.zin_re = zinr;
  out.zin_im = zini;
  return out;
}

// Phase of S21 at f, radians.
float phase_at(DesignRecord& ds, const EndSteps& ends, float f) {
  TwoPort rs;
  filter_two_port(ds, ends, f, rs);
  return phase_radians(figures(rs, port_terms(ds.ports), true).phase_deg);
}

}  // namespace

PortTerms port_terms(const Terminations& t) {
  PortTerms p;
  p.t = t;
  const float zrs = t.rs, zis = t.xs, zrl = t.rl, zil = t.xl;
  p.zl2 = zrl * zrl + zil * zil;
  complex_product_conj(p.zsr, p.zsi, zrs, zis, zrl, zil);
  // sqrt(ZS/ZL) by magnitude and half angle.
  float tr = 0.0f;
  float ti = 0.0f;
  complex_product_conj(tr, ti, zrs, zis, zrl, zil);
  tr = tr / p.zl2;
  ti = ti / p.zl2;
  const float rmag = std::pow(tr * tr + ti * ti, 0.25f);
  const float rang = 0.5f * angle_of(tr, ti);
  p.qr = rmag * std::cos(rang);
  p.qi = rmag * std::sin(rang);
  return p;
}

PortFigures port_figures(const TwoPort& rs, const PortTerms& p) { return figures(rs, p, false); }

PortFigures port_figures(const TwoPort& rs, const Terminations& t) {
  return figures(rs, port_terms(t), false);
}

float transmission_phase(const TwoPort& rs, const PortTerms& p) {
  return figures(rs, p, true).phase_deg;
}

float transmission_phase(const TwoPort& rs, const Terminations& t) {
  return figures(rs, port_terms(t), true).phase_deg;
}

float phase_radians(float phase_deg) { return phase_deg * ((kPi + kPi) / 360.0f); }

bool phase_wrapped(float p0, float pp) { return p0 != 0.0f && pp / p0 < 0.0f; }

float delay_from_phases(float f, float p0, float fp, float pp) {
  return std::fabs(1000.0f / (kPi + kPi) * (pp - p0) / (fp - f));
}

void filter_two_port(DesignRecord& ds, const EndSteps& ends, float f, TwoPort& rs) {
  const Origin o = ds.control.origin;
  if (o == Origin::kDistributedSynthesis || o == Origin::kDistributedEntered) {
    coax_cascade(ds, ends, f, rs);
  } else {
    lumped_cascade(ds, f, rs);
  }
}

float group_delay(DesignRecord& ds, const EndSteps& ends, float f, float phase_deg) {
  const float p0 = phase_radians(phase_deg);
  float fp = f * kDelayStep;
  float pp = phase_at(ds, ends, fp);
  if (phase_wrapped(p0, pp)) {
    // The phase wrapped between f and fp: difference towards the lower side.
    fp = f / kDelayStep;
    pp = phase_at(ds, ends, fp);
  }
  return delay_from_phases(f, p0, fp, pp);
}

}  // namespace mx
