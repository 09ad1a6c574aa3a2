#include "analysis/port_quantities.h"

#include <cmath>

#include "analysis/coax_ladder.h"
#include "analysis/ladder.h"

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kMaxReflection = 0.9995f;
constexpr float kMaxVswr = 999.99f;
constexpr float kMinPowerGain = 1.0e-30f;
constexpr float kMaxImpedance = 99999.99f;
constexpr float kMaxLoss = 9999.99f;
constexpr float kDeltaF = 1.0001f;  // relative frequency step of the phase difference

// Two-port of the filter in the design record at f.
void cascade(DesignState& ds, float disc2, float disc5, float f, TwoPort& rs) {
  if (ds.int1.ifrom == 1 || ds.int1.ifrom == 2) {
    cxladd(ds, disc2, disc5, f, rs);
  } else {
    int ierr = 0;
    ladder(ds, f, ierr, rs);
  }
}

// Phase of S21 at f, radians.
float phase_at(DesignState& ds, float disc2, float disc5, float f, float rad_per_deg) {
  TwoPort rs;
  cascade(ds, disc2, disc5, f, rs);
  const auto& r1 = ds.real1;
  float il = 0.0f, rtl = 0.0f, vswr = 0.0f, zini = 0.0f, zinr = 0.0f;
  float pp = 0.0f;
  lddrtg(1, il, pp, rs, rtl, vswr, r1.zil, zini, zinr, r1.zis, r1.zrl, r1.zrs);
  return pp * rad_per_deg;
}

}  // namespace

void lddrtg(int igd, float& il, float& phf, const TwoPort& rs, float& rtl, float& vswr, float zil,
            float& zini, float& zinr, float zis, float zrl, float zrs) {
  const auto& m = rs.v;
  float tr = 0.0f;
  float ti = 0.0f;
  const float temp = zrl * zrl + zil * zil;  // |ZL|^2

  // e2deg = A + B/ZL + C ZS + D ZS/ZL, with 1/ZL as conj(ZL)/|ZL|^2.
  float zsr = 0.0f;  // ZS conj(ZL)
  float zsi = 0.0f;
  nmult(2, zsr, zsi, zrs, zis, zrl, zil);
  float er = 0.0f;
  float ei = 0.0f;
  nmult(1, er, ei, m[6], m[7], zsr, zsi);
  er = er / temp;
  ei = ei / temp;
  nmult(1, tr, ti, m[4], m[5], zrs, zis);
  er = er + tr;
  ei = ei + ti;
  nmult(2, tr, ti, m[2], m[3], zrl, zil);
  er = tr / temp + er + m[0];
  ei = ti / temp + ei + m[1];
  // Its reciprocal.
  const float emag = er * er + ei * ei;
  er = er / emag;
  ei = -(ei / emag);

  // sqrt(ZS/ZL) by magnitude and half angle.
  nmult(2, tr, ti, zrs, zis, zrl, zil);
  tr = tr / temp;
  ti = ti / temp;
  const float rmag = std::pow(tr * tr + ti * ti, 0.25f);
  const float rang = 0.5f * atn2(tr, ti);
  const float qr = rmag * std::cos(rang);
  const float qi = rmag * std::sin(rang);

  // S21 = 2 sqrt(ZS/ZL) / e2deg (e2deg already inverted).
  float sr = 0.0f;
  float si = 0.0f;
  nmult(1, sr, si, qr, qi, er, ei);
  sr = sr * 2.0f;
  si = si * 2.0f;
  phf = atn2(sr, si) * (180.0f / kPi);
  if (igd != 0) return;

  il = sr * sr + si * si;
  if (il < kMinPowerGain) il = kMinPowerGain;
  il = 10.0f * std::log10(il);

  // Zin = (A ZL + B) / (C ZL + D).
  float nr = 0.0f;
  float ni = 0.0f;
  nmult(1, nr, ni, m[0], m[1], zrl, zil);
  nr = nr + m[2];
  ni = ni + m[3];
  float dr = 0.0f;
  float di = 0.0f;
  nmult(1, dr, di, m[4], m[5], zrl, zil);
  dr = dr + m[6];
  di = di + m[7];
  nmult(2, tr, ti, nr, ni, dr, di);
  float q = 1.0f / (dr * dr + di * di);
  zinr = tr * q;
  zini = ti * q;

  // Reflection against the source, (Zin - ZS) / (Zin + ZS).
  nr = zinr - zrs;
  ni = zini - zis;
  dr = zinr + zrs;
  di = zini + zis;
  nmult(2, tr, ti, nr, ni, dr, di);
  q = 1.0f / (dr * dr + di * di);
  const float gr = tr * q;
  const float gi = ti * q;
  float ags = std::sqrt(gr * gr + gi * gi);
  if (ags > kMaxReflection) ags = kMaxReflection;
  vswr = (ags + 1.0f) / (1.0f - ags);
  if (vswr > kMaxVswr) vswr = kMaxVswr;
  rtl = 20.0f * std::log10(ags);

  if (zinr > kMaxImpedance) zinr = kMaxImpedance;
  if (zini > kMaxImpedance) zini = kMaxImpedance;
  if (il > kMaxLoss) il = kMaxLoss;
}

void legroup(DesignState& ds, float disc2, float disc5, float f, float phf, float& td) {
  const float rad_per_deg = (kPi + kPi) / 360.0f;
  const float p0 = phf * rad_per_deg;
  float fp = f * kDeltaF;
  float pp = phase_at(ds, disc2, disc5, fp, rad_per_deg);
  if (p0 != 0.0f && pp / p0 < 0.0f) {
    // The phase wrapped between f and fp: difference towards the lower side.
    fp = f / kDeltaF;
    pp = phase_at(ds, disc2, disc5, fp, rad_per_deg);
  }
  td = std::fabs(1000.0f / (kPi + kPi) * (pp - p0) / (fp - f));
}

}  // namespace mx
