#include "analysis/coax_ladder.h"

#include <cmath>

#include "analysis/elements.h"
#include "analysis/line_loss.h"
#include "coax/step.h"

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;
constexpr float kSpeed = 11802.8545f;  // inch per microsecond

// rs = rs . m
void chain(TwoPort& rs, const TwoPort& m) {
  TwoPort scratch;
  mmult(scratch, rs, m);
  eq(rs, scratch);
}

// Synthesized filter: the junction against line kind x, capacitance c (F)
// stored under the frequency factor fkx, put onto rs at f. The fringing
// capacitance rises with frequency like the factor fkp formed over the gap
// between the outer conductor of line kind x and the inner conductor of the
// high-impedance line.
void synth_junction(const DesignState& ds, TwoPort& rs, TwoPort& shunt, float lambda_high, int x,
                    float c, float fkx, float f) {
  const float gap = (ds.real2.synb(x) - ds.real2.synd(kHighLine)) / lambda_high;
  const float fkp = 1.0f / std::sqrt(1.0f - gap * gap);
  shunt.v[5] = fkp / fkx * 2.0f * kPi * f * 1.0e6f * c;
  chain(rs, shunt);
}

// Synthesized filter: a section of xlen inches of line kind `kind`.
void synth_line(const DesignState& ds, TwoPort& rs, TwoPort& line, float xlen, float lambda,
                int kind, float z, float f) {
  const auto& r1 = ds.real1;
  const auto& r2 = ds.real2;
  const float theta = xlen / lambda * 2.0f * kPi;
  float a = 0.0f;
  cxloss(a, r2.synb(kind), r2.synd(kind), r2.syner(kind), r1.sr, r1.res, r1.dltan, f);
  xline(z, theta, xlen * a, line);
  chain(rs, line);
}

void synthesized(const DesignState& ds, float disc2, float disc5, float f, TwoPort& rs) {
  const auto& i1 = ds.int1;
  const auto& r1 = ds.real1;
  const auto& r2 = ds.real2;
  const float lambda_high = r1.vhigh / (f * 1.0e6f);  // inch
  const float lambda_low = r1.vlow / (f * 1.0e6f);
  TwoPort shunt;
  TwoPort line;
  int j = i1.icfg;  // 2: the next section is a high-impedance line
  for (int i = 1; i <= i1.n; ++i) {
    if (j == 2) {
      if (i == 1) {
        synth_junction(ds, rs, shunt, lambda_high, kSourceLine, disc2, r1.fk2, f);
      } else {
        synth_junction(ds, rs, shunt, lambda_high, kHighLine, r2.discap(i - 1, 2), r1.fk3, f);
      }
      synth_line(ds, rs, line, r2.xlen(i), lambda_high, kHighLine, r1.zhigh, f);
      j = 1;
    } else {
      synth_junction(ds, rs, shunt, lambda_high, kHighLine, r2.discap(i, 1), r1.fk3, f);
      synth_line(ds, rs, line, r2.xlen(i), lambda_low, kLowLine, r1.zlow, f);
      j = 2;
    }
  }
  // The junction after the last section.
  const bool odd = i1.n % 2 != 0;
  const bool last_high = i1.icfg == 2 ? odd : !odd;
  if (last_high) {
    synth_junction(ds, rs, shunt, lambda_high, kLoadLine, disc5, r1.fk5, f);
  } else {
    synth_junction(ds, rs, shunt, lambda_high, kLowLine, r2.discap(i1.n, 2), r1.fk3, f);
  }
}

void entered(DesignState& ds, float f, TwoPort& rs) {
  const int n = ds.int1.n;
  auto& r1 = ds.real1;
  auto& r2 = ds.real2;
  for (int i = 0; i <= n; ++i) {
    float cd = 0.0f;
    cxstep(r2.anad(i), r2.anad(i + 1), r2.anab(i), r2.anab(i + 1), r2.anaer(i), r2.anaer(i + 1), f,
           r1.fk, cd);
    r2.acap(i) = cd;
  }
  TwoPort shunt;
  TwoPort line;
  for (int i = 0; i <= n; ++i) {
    shunt.v[5] = 2.0f * kPi * f * 1.0e6f * r2.acap(i);
    chain(rs, shunt);
    if (i == n) break;
    const int k = i + 1;
    const float theta = r2.anal(k) * f * std::sqrt(r2.anaer(k)) * 2.0f * kPi / kSpeed;
    float a = 0.0f;
    cxloss(a, r2.anab(k), r2.anad(k), r2.anaer(k), r1.sr, r1.res, r1.dltan, f);
    xline(r2.anazo(k), theta, r2.anal(k) * a, line);
    chain(rs, line);
  }
}

}  // namespace

void cxladd(DesignState& ds, float disc2, float disc5, float f, TwoPort& rs) {
  rs = TwoPort::identity();
  if (ds.int1.ifrom == 1) {
    synthesized(ds, disc2, disc5, f, rs);
  } else {
    entered(ds, f, rs);
  }
}

}  // namespace mx
