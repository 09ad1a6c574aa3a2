// Distributed (coaxial) synthesis: every series inductor of the lumped ladder
// becomes a short high-impedance line section, every shunt capacitor a short
// low-impedance section. A section's length is found from the reactance (or
// susceptance) it must supply after crediting half of each neighbour and the
// step capacitances at its ends; since the neighbours' lengths are themselves
// unknown, the lengths are found by repeated passes until they settle.

#include "coax/distributed.h"

#include <cmath>

#include "coax/line_figures.h"
#include "coax/step.h"

namespace mx {

namespace {

constexpr float kPi = 3.14159274f;
constexpr float kSpeed = 11802.8545f;  // speed of light, inch per microsecond
constexpr float kSettled = 0.00025f;   // largest length change of a settled pass, inch

// Everything but icfg = 2 is laid out as the standard circuit (shunt C first).
bool is_dual(const DesignState& ds) { return ds.int1.icfg == 2; }

// Junction capacitance of line kind a (as line 1) against line kind b at the
// cutoff frequency; cxstep leaves fk alone when nothing steps.
void junction(DesignState& ds, int a, int b, float& cd) {
  const Real2& s = ds.real2;
  cxstep(s.synd(a), s.synd(b), s.synb(a), s.synb(b), s.syner(a), s.syner(b), ds.real1.fc1,
         ds.real1.fk, cd);
}

// tan of half the electrical length of a neighbouring section, and sin of a
// section's own electrical length, at the cutoff.
float half_tan(float wc, float len, float v) { return std::tan(wc * len / (2.0f * v)); }
float full_sin(float wc, float len, float v) { return std::sin(wc * len / v); }

}  // namespace

// Codes: 1 the high-impedance level is too low (zmust: the impedance needed),
// 2 the low-impedance level is too high (zmust: the most it may be), 3 the
// step capacitances alone exceed the capacitor of section nsect.
void cxlen(DesignState& ds, int& ierr, int loop, int& nsect, float& zmust) {
  const Real1& r = ds.real1;
  Real2& a = ds.real2;
  const int n = ds.int1.n;
  const float wc = r.wc;
  const float zlow = r.zlow;
  const float zhigh = r.zhigh;

  ierr = 0;
  zmust = 0.0f;
  nsect = 0;
  const int istart = is_dual(ds) ? 1 : 2;  // first high-impedance position
  const int lstart = is_dual(ds) ? 2 : 1;  // first low-impedance position

  // High-impedance (inductive) sections. The first pass has no neighbour
  // lengths yet, so the whole inductance comes from the section itself.
  if (loop == 1)
    for (int j = 0; j <= 31; ++j) a.xlen(j) = 0.0f;
  for (int j = istart; j <= n; j += 2) {
    float temp;
    if (loop == 1) {
      temp = a.serl(j) * wc * 1.0e-9f / zhigh;
      if (temp > 1.0f || temp < 0.0f) {
        ierr = 1;
        nsect = j;
        zmust = a.serl(j) * wc * 1.0e-9f;
        return;
      }
    } else {
      const float temp1 = a.serl(j) * wc * 1.0e-9f / zhigh;
      const float temp2 = (zlow / zhigh) * half_tan(wc, a.xlen(j - 1), r.vlow);
      const float temp3 = (zlow / zhigh) * half_tan(wc, a.xlen(j + 1), r.vlow);
      temp = temp1 - temp2 - temp3;
      if (temp > 1.0f) {
        ierr = 1;
        nsect = j;
        zmust = zhigh * temp;
        return;
      }
      if (temp < 0.0f) {
        ierr = 2;
        nsect = j == n ? j - 1 : j + 1;
        zmust = zlow * temp1 / (temp2 + temp3);
        return;
      }
    }
    a.xlen(j) = std::asin(temp) * r.vhigh / wc;
  }

  // Low-impedance (capacitive) sections, from the high-impedance lengths
  // just found and the step capacitances at both ends.
  for (int j = lstart; j <= n; j += 2) {
    const float temp1 = zlow * wc * a.shuntc(j) * 1.0e-12f;
    const float temp2 = (zlow / zhigh) * half_tan(wc, a.xlen(j - 1), r.vhigh);
    const float temp3 = (zlow / zhigh) * half_tan(wc, a.xlen(j + 1), r.vhigh);
    const float temp4 = zlow * wc * a.discap(j, 1);
    const float temp5 = zlow * wc * a.discap(j, 2);
    float temp = temp1 - temp4 - temp5;
    if (temp < 0.0f) {
      nsect = j;
      ierr = 3;
      return;
    }
    temp = temp - temp2 - temp3;
    if (temp > 1.0f) {
      ierr = 2;
      nsect = j;
      zmust = zlow / temp;
      return;
    }
    if (temp < 0.0f) {
      ierr = 1;
      nsect = j == n ? j - 1 : j + 1;
      zmust = zhigh * (temp2 + temp3) / (temp1 - temp4 - temp5);
      return;
    }
    a.xlen(j) = std::asin(temp) * r.vlow / wc;
  }
}

void cxprox(float r1, float r2, float r3, float x, float& p) {
  const float beta = x / (2.0f * (r3 - r1));
  const float alpha = (r3 - r2) / (r3 - r1);
  p = std::tanh(kPi * beta);
  // The reduction of the step field is strongest at a diameter ratio of 0.35
  // and fades out towards 0 and 1.
  if (alpha <= 0.35f)
    p = p + (1.0f - p) * (0.35f - alpha) / 0.35f;
  else
    p = p + (1.0f - p) * (alpha - 0.35f) / 0.65f;
  if (alpha > 1.0f || alpha < 0.0f) p = 1.0f;
  if (p > 1.0f) p = 1.0f;
  if (p < 0.0f) p = 0.0f;
}

void addlen(const DesignState& ds, float cap, float& exlen, float xleno, float zoline) {
  if (cap == 0.0f) {
    exlen = 0.0f;
    return;
  }
  const Real1& r = ds.real1;
  const float temp1 = cap * r.wc * r.vhigh / (r.zhigh * r.wc);
  const float temp2 = xleno / (2.0f * r.zhigh * r.zhigh);
  exlen = zoline * zoline * (temp1 + temp2);
}

void distributed_synthesis(DesignState& ds, DistributedResult& r) {
  distributed_synthesis(ds, r, kMaxLengthPasses, nullptr);
}

void distributed_synthesis(DesignState& ds, DistributedResult& r, int max_passes,
                           std::vector<float>* changes) {
  Real1& q = ds.real1;
  Real2& a = ds.real2;
  const int n = ds.int1.n;
  const bool dual = is_dual(ds);

  r.ierr = 0;
  r.nsect = 0;
  r.zmust = 0.0f;
  r.passes = 0;
  r.exlen1 = 0.0f;
  r.exlen2 = 0.0f;

  a.discap.fill(0.0f);
  ds.int1.ifrom = 1;

  // Figures of merit of the four line kinds; reported only.
  cxmode(a.synb(0), a.synd(0), a.syner(0), r.mode1);
  cxpwr(a.synb(0), a.synd(0), a.syner(0), r.pwr1);
  cxmode(a.synb(1), a.synd(1), a.syner(1), r.mode2);
  cxpwr(a.synb(1), a.synd(1), a.syner(1), r.pwr2);
  cxmode(a.synb(2), a.synd(2), a.syner(2), r.mode3);
  cxpwr(a.synb(2), a.synd(2), a.syner(2), r.pwr3);
  cxmode(a.synb(3), a.synd(3), a.syner(3), r.mode4);
  cxpwr(a.synb(3), a.synd(3), a.syner(3), r.pwr4);

  // The five junction kinds, at the cutoff frequency.
  junction(ds, kSourceLine, kLowLine, r.disc1);
  q.fk1 = q.fk;
  junction(ds, kHighLine, kSourceLine, r.disc2);
  q.fk2 = q.fk;
  junction(ds, kHighLine, kLowLine, r.disc3);
  q.fk3 = q.fk;
  junction(ds, kLoadLine, kLowLine, r.disc4);
  q.fk4 = q.fk;
  junction(ds, kHighLine, kLoadLine, r.disc5);
  q.fk5 = q.fk;

  // Step capacitances at both ends of every low-impedance section. A
  // high-impedance end section meets the source or load line without an
  // entry here: its junction is covered by the end correction below.
  for (int j = dual ? 2 : 1; j <= n; j += 2) {
    a.discap(j, 1) = r.disc3;
    a.discap(j, 2) = r.disc3;
  }
  if (!dual) {
    a.discap(1, 1) = r.disc1;
    if (n % 2 == 1) a.discap(n, 2) = r.disc4;
  } else if (n % 2 == 0) {
    a.discap(n, 2) = r.disc4;
  }

  IndexArray<float, 1, 31> oldlen;
  for (int j = 1; j <= 31; ++j) {
    a.xlen(j) = 0.0f;
    oldlen(j) = 0.0f;
    r.xprox(j) = 1.0f;
  }
  q.wc = 2.0f * kPi * q.fc1 * 1.0e6f;
  q.vlow = kSpeed * 1.0e6f / std::sqrt(a.syner(2));
  q.zlow = a.synzo(2);
  q.vhigh = kSpeed * 1.0e6f / std::sqrt(a.syner(1));
  q.zhigh = a.synzo(1);

  int loop = 1;
  bool moving = true;
  while (loop == 1 || loop == 2 || moving) {
    if (loop > max_passes) {
      // Still moving after the last allowed pass.
      r.ierr = 4;
      return;
    }
    for (int j = 1; j <= n; ++j) oldlen(j) = a.xlen(j);
    r.passes = loop;
    cxlen(ds, r.ierr, loop, r.nsect, r.zmust);
    if (r.ierr != 0) return;

    // A short high-impedance section between two low-impedance ones lets
    // the fringing fields of its two steps overlap, which lowers their
    // capacitance. The section next to the load line has no second step.
    if (!dual) {
      for (int j = 2; j <= n; j += 2)
        cxprox(a.synd(1), a.synd(2), a.synb(1), a.xlen(j), r.xprox(j));
      if (n % 2 == 0) r.xprox(n) = 1.0f;
    } else {
      for (int j = 3; j <= n; j += 2)
        cxprox(a.synd(1), a.synd(2), a.synb(1), a.xlen(j), r.xprox(j));
      if (n % 2 == 1) r.xprox(n) = 1.0f;
    }
    // The factors act on the current capacitances, so the reduction builds
    // up from pass to pass. Only odd positions are visited: in the dual
    // circuit these hold no step capacitance and nothing changes.
    for (int j = 1; j <= n; j += 2) {
      if (j + 1 > 31) break;
      a.discap(j, 2) = a.discap(j, 2) * r.xprox(j + 1);
      if (j + 2 <= 31) a.discap(j + 2, 1) = a.discap(j + 2, 1) * r.xprox(j + 1);
    }
    loop = loop + 1;

    moving = false;
    float largest = 0.0f;
    for (int j = 1; j <= n; ++j) {
      const float change = std::fabs(oldlen(j) - a.xlen(j));
      if (change > kSettled) moving = true;
      if (change > largest) largest = change;
    }
    if (changes != nullptr) changes->push_back(largest);
  }

  // End corrections for high-impedance end sections: the step to the source
  // or load line adds capacitance the lumped inductor does not have, which a
  // slightly longer section makes up for.
  if (!dual) {
    if (n % 2 == 0) {
      addlen(ds, r.disc5, r.exlen1, a.xlen(n), q.ros);
      a.xlen(n) = a.xlen(n) + r.exlen1;
    }
  } else if (n >= 1) {
    addlen(ds, r.disc2, r.exlen1, a.xlen(1), q.ros);
    a.xlen(1) = a.xlen(1) + r.exlen1;
    if (n % 2 == 1) {
      addlen(ds, r.disc5, r.exlen2, a.xlen(n), q.rod);
      a.xlen(n) = a.xlen(n) + r.exlen2;
    }
  }
  if (n >= 1) {
    r.xlen_first = a.xlen(1);
    r.xlen_last = a.xlen(n);
  }
}

void check(const DesignState& ds, CheckValues& value, CheckParts& value2) {
  const int icfg = ds.int1.icfg;
  if (icfg != 1 && icfg != 2) return;
  const Real1& r = ds.real1;
  const Real2& a = ds.real2;
  const float wc = r.wc;
  const float zlow = r.zlow;
  const float zhigh = r.zhigh;

  for (int j = 1; j <= ds.int1.n; ++j) {
    const bool capacitive = (j % 2 == 1) == (icfg == 1);
    const float before = a.xlen(j - 1);
    const float own = a.xlen(j);
    const float after = a.xlen(j + 1);
    if (capacitive) {
      const float t1 = half_tan(wc, before, r.vhigh);
      const float s = full_sin(wc, own, r.vlow);
      const float t3 = half_tan(wc, after, r.vhigh);
      value2(j, 1) = t1 / zhigh * 1.0e12f / wc;
      value2(j, 2) = s / zlow * 1.0e12f / wc;
      value2(j, 3) = t3 / zhigh * 1.0e12f / wc;
      value2(j, 4) = (a.discap(j, 1) + a.discap(j, 2)) * 1.0e12f;
      value(j) = (t1 / zhigh + wc * a.discap(j, 1) + s / zlow + wc * a.discap(j, 2) +
                  t3 / zhigh) *
                 1.0e12f / wc;
    } else {
      const float t1 = half_tan(wc, before, r.vlow);
      const float s = full_sin(wc, own, r.vhigh);
      const float t3 = half_tan(wc, after, r.vlow);
      value2(j, 1) = zlow * t1 * 1.0e9f / wc;
      value2(j, 2) = zhigh * s * 1.0e9f / wc;
      value2(j, 3) = zlow * t3 * 1.0e9f / wc;
      value(j) = (zlow * t1 + zhigh * s + zlow * t3) * 1.0e9f / wc;
    }
  }
}

void remove_end_corrections(DesignState& ds, const DistributedResult& r) {
  if (r.ierr != 0) return;
  Real2& a = ds.real2;
  const int n = ds.int1.n;
  if (n < 1) return;
  if (!is_dual(ds) && n % 2 == 0) a.xlen(n) = a.xlen(n) - r.exlen1;
  if (is_dual(ds)) {
    a.xlen(1) = a.xlen(1) - r.exlen1;
    if (n % 2 == 1) a.xlen(n) = a.xlen(n) - r.exlen2;
  }
}

void restore_end_corrections(DesignState& ds, const DistributedResult& r) {
  if (r.ierr != 0) return;
  Real2& a = ds.real2;
  const int n = ds.int1.n;
  if (n < 1) return;
  // Write back the corrected lengths themselves: adding the corrections
  // again could differ from them in the last bit.
  if (!is_dual(ds) && n % 2 == 0) a.xlen(n) = r.xlen_last;
  if (is_dual(ds)) {
    a.xlen(1) = r.xlen_first;
    if (n % 2 == 1) a.xlen(n) = r.xlen_last;
  }
}

}  // namespace mx
