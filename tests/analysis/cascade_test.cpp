// Which element and junction matrices the cascades multiply, in which order:
// each chain is compared with one built here by hand from the same parts.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/coax_ladder.h"
#include "analysis/elements.h"
#include "analysis/ladder.h"
#include "analysis/line_loss.h"
#include "coax/geometry.h"
#include "coax/step.h"

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;

void times(TwoPort& r, const TwoPort& m) {
  TwoPort s;
  mmult(s, r, m);
  eq(r, s);
}

TwoPort shunt(float b) {
  TwoPort m;
  m.v[5] = b;
  return m;
}

TwoPort element(float value, int code, float f) {
  TwoPort e;
  int ierr = 0;
  cktle(value, 0.0f, 0.0f, e, f, code, ierr);
  return e;
}

void expect_same(const TwoPort& got, const TwoPort& want) {
  for (int i = 0; i < 8; ++i) EXPECT_EQ(got.v[i], want.v[i]) << "part " << i;
}

// Every position holds both a capacitor and an inductor value, so reading the
// wrong array at a position shows.
DesignState lumped(int icfg, int n) {
  DesignState ds;
  ds.int1.icfg = icfg;
  ds.int1.n = n;
  for (int k = 1; k <= 31; ++k) {
    ds.real2.shuntc(k) = 1.0f + 0.25f * static_cast<float>(k);
    ds.real2.serl(k) = 3.0f + 1.5f * static_cast<float>(k);
  }
  return ds;
}

TEST(Ladder, AlternatesFromTheConfiguredFirstElement) {
  const float f = 900.0f;
  int ierr = -1;
  TwoPort rs;

  DesignState ds = lumped(1, 4);
  ladder(ds, f, ierr, rs);
  EXPECT_EQ(ierr, 0);
  TwoPort want;
  times(want, element(ds.real2.shuntc(1), 7, f));
  times(want, element(ds.real2.serl(2), 2, f));
  times(want, element(ds.real2.shuntc(3), 7, f));
  times(want, element(ds.real2.serl(4), 2, f));
  expect_same(rs, want);

  ds = lumped(2, 3);
  ladder(ds, f, ierr, rs);
  want = TwoPort::identity();
  times(want, element(ds.real2.serl(1), 2, f));
  times(want, element(ds.real2.shuntc(2), 7, f));
  times(want, element(ds.real2.serl(3), 2, f));
  expect_same(rs, want);

  ds = lumped(1, 1);
  ladder(ds, f, ierr, rs);
  expect_same(rs, element(ds.real2.shuntc(1), 7, f));
  ds = lumped(2, 1);
  ladder(ds, f, ierr, rs);
  expect_same(rs, element(ds.real2.serl(1), 2, f));
}

// A lossy synthesized filter: all four line kinds differ so that the row used
// for each junction's frequency factor shows, and every discap entry (also of
// the high-impedance sections, where the synthesis leaves zeros) is distinct.
DesignState synthesized(int icfg, int n) {
  DesignState ds;
  auto& r1 = ds.real1;
  auto& r2 = ds.real2;
  ds.int1.ifrom = 1;
  ds.int1.icfg = icfg;
  ds.int1.n = n;
  const float b[4] = {0.45f, 0.5f, 0.52f, 0.62f};  // distinct rows, though b(2) = b(1) in practice
  const float d[4] = {0.1955f, 0.06f, 0.4f, 0.27f};
  const float er[4] = {1.0f, 1.0f, 2.1f, 1.0f};
  for (int k = 0; k < 4; ++k) {
    r2.synb(k) = b[k];
    r2.synd(k) = d[k];
    r2.syner(k) = er[k];
    cxzo(b[k], d[k], er[k], r2.synzo(k));
  }
  r1.zhigh = r2.synzo(1);
  r1.zlow = r2.synzo(2);
  r1.vhigh = 11802.8545f * 1.0e6f / std::sqrt(er[1]);
  r1.vlow = 11802.8545f * 1.0e6f / std::sqrt(er[2]);
  for (int i = 1; i <= 31; ++i) {
    r2.xlen(i) = 0.2f + 0.03f * static_cast<float>(i);
    r2.discap(i, 1) = (2.0f + static_cast<float>(i)) * 1.0e-13f;
    r2.discap(i, 2) = (2.5f + static_cast<float>(i)) * 1.0e-13f;
  }
  r1.fk2 = 1.011f;
  r1.fk3 = 1.023f;
  r1.fk5 = 1.037f;
  r1.fk1 = r1.fk4 = 5.0f;  // not used by the cascade
  r1.res = 1.724e-6f / 2.54f;
  r1.sr = 30.0e-6f;
  r1.dltan = 0.0004f;
  return ds;
}

constexpr float kDisc2 = 3.3e-13f;
constexpr float kDisc5 = 4.4e-13f;

// Hand-built pieces of the synthesized chain at f.
struct SynthChain {
  const DesignState& ds;
  float f;
  TwoPort r;
  float lambda_high() const { return ds.real1.vhigh / (f * 1.0e6f); }
  void junction(int x, float c, float fkx) {
    const float g = (ds.real2.synb(x) - ds.real2.synd(1)) / lambda_high();
    const float fkp = 1.0f / std::sqrt(1.0f - g * g);
    times(r, shunt(fkp / fkx * 2.0f * kPi * f * 1.0e6f * c));
  }
  void line(int i, int kind) {
    const auto& r1 = ds.real1;
    const auto& r2 = ds.real2;
    const float v = kind == 1 ? r1.vhigh : r1.vlow;
    const float theta = r2.xlen(i) / (v / (f * 1.0e6f)) * 2.0f * kPi;
    float a = 0.0f;
    cxloss(a, r2.synb(kind), r2.synd(kind), r2.syner(kind), r1.sr, r1.res, r1.dltan, f);
    TwoPort m;
    xline(kind == 1 ? r1.zhigh : r1.zlow, theta, r2.xlen(i) * a, m);
    times(r, m);
  }
  void high(int i) { line(i, 1); }
  void low(int i) { line(i, 2); }
};

TwoPort run(DesignState& ds, float f) {
  TwoPort rs;
  rs.v = {7, 7, 7, 7, 7, 7, 7, 7};  // the cascade must start from the identity
  cxladd(ds, kDisc2, kDisc5, f, rs);
  return rs;
}

TEST(CoaxSynthesized, StandardOddAndEven) {
  const float f = 2500.0f;
  DesignState ds = synthesized(1, 3);
  const auto& c = ds.real2;
  const float fk3 = ds.real1.fk3;
  SynthChain h{ds, f, {}};
  h.junction(1, c.discap(1, 1), fk3);
  h.low(1);
  h.junction(1, c.discap(1, 2), fk3);
  h.high(2);
  h.junction(1, c.discap(3, 1), fk3);
  h.low(3);
  h.junction(2, c.discap(3, 2), fk3);  // ends on a low-impedance section
  expect_same(run(ds, f), h.r);

  DesignState ds4 = synthesized(1, 4);
  SynthChain h4{ds4, f, {}};
  h4.junction(1, c.discap(1, 1), fk3);
  h4.low(1);
  h4.junction(1, c.discap(1, 2), fk3);
  h4.high(2);
  h4.junction(1, c.discap(3, 1), fk3);
  h4.low(3);
  h4.junction(1, c.discap(3, 2), fk3);
  h4.high(4);
  h4.junction(3, kDisc5, ds4.real1.fk5);  // ends on a high-impedance section
  expect_same(run(ds4, f), h4.r);

  DesignState ds1 = synthesized(1, 1);
  SynthChain h1{ds1, f, {}};
  h1.junction(1, c.discap(1, 1), fk3);
  h1.low(1);
  h1.junction(2, c.discap(1, 2), fk3);
  expect_same(run(ds1, f), h1.r);
}

TEST(CoaxSynthesized, DualOddAndEven) {
  const float f = 1700.0f;
  DesignState ds = synthesized(2, 3);
  const auto& c = ds.real2;
  const float fk3 = ds.real1.fk3;
  SynthChain h{ds, f, {}};
  h.junction(0, kDisc2, ds.real1.fk2);  // starts on a high-impedance section
  h.high(1);
  h.junction(1, c.discap(2, 1), fk3);
  h.low(2);
  h.junction(1, c.discap(2, 2), fk3);
  h.high(3);
  h.junction(3, kDisc5, ds.real1.fk5);
  expect_same(run(ds, f), h.r);

  DesignState ds4 = synthesized(2, 4);
  SynthChain h4{ds4, f, {}};
  h4.junction(0, kDisc2, ds4.real1.fk2);
  h4.high(1);
  h4.junction(1, c.discap(2, 1), fk3);
  h4.low(2);
  h4.junction(1, c.discap(2, 2), fk3);
  h4.high(3);
  h4.junction(1, c.discap(4, 1), fk3);
  h4.low(4);
  h4.junction(2, c.discap(4, 2), fk3);
  expect_same(run(ds4, f), h4.r);

  DesignState ds1 = synthesized(2, 1);
  SynthChain h1{ds1, f, {}};
  h1.junction(0, kDisc2, ds1.real1.fk2);
  h1.high(1);
  h1.junction(3, kDisc5, ds1.real1.fk5);
  expect_same(run(ds1, f), h1.r);
}

// An entered circuit of three sections between a source and a load line that
// differ from them; the lengths of lines 0 and n+1 must not enter.
DesignState entered() {
  DesignState ds;
  auto& r1 = ds.real1;
  auto& r2 = ds.real2;
  ds.int1.ifrom = 2;
  ds.int1.n = 3;
  const float b[5] = {0.5f, 0.5f, 0.5f, 0.6f, 0.6f};
  const float d[5] = {0.2172f, 0.08f, 0.41f, 0.1f, 0.26f};
  const float er[5] = {1.0f, 1.0f, 2.1f, 1.0f, 1.0f};
  for (int k = 0; k < 5; ++k) {
    r2.anab(k) = b[k];
    r2.anad(k) = d[k];
    r2.anaer(k) = er[k];
    cxzo(b[k], d[k], er[k], r2.anazo(k));
    r2.anal(k) = 0.3f + 0.1f * static_cast<float>(k);
  }
  r2.acap(4) = 99.0f;
  r1.fk = -1.0f;
  r1.res = 1.724e-6f / 2.54f;
  r1.sr = 30.0e-6f;
  r1.dltan = 0.0004f;
  return ds;
}

TEST(CoaxEntered, JunctionsThenSectionsFromTheSource) {
  const float f = 3000.0f;
  DesignState ds = entered();
  const TwoPort rs = run(ds, f);
  const auto& r1 = ds.real1;
  const auto& r2 = ds.real2;

  float cd[4] = {};
  float fk = 0.0f;
  for (int i = 0; i <= 3; ++i) {
    cxstep(r2.anad(i), r2.anad(i + 1), r2.anab(i), r2.anab(i + 1), r2.anaer(i), r2.anaer(i + 1), f,
           fk, cd[i]);
    EXPECT_EQ(r2.acap(i), cd[i]) << i;
    EXPECT_GT(cd[i], 0.0f) << i;
  }
  EXPECT_EQ(r2.acap(4), 99.0f);
  EXPECT_EQ(r1.fk, fk);  // factor of the last junction

  TwoPort want;
  for (int i = 0; i <= 3; ++i) {
    times(want, shunt(2.0f * kPi * f * 1.0e6f * cd[i]));
    if (i == 3) break;
    const int k = i + 1;
    const float theta = r2.anal(k) * f * std::sqrt(r2.anaer(k)) * 2.0f * kPi / 11802.8545f;
    float a = 0.0f;
    cxloss(a, r2.anab(k), r2.anad(k), r2.anaer(k), r1.sr, r1.res, r1.dltan, f);
    TwoPort m;
    xline(r2.anazo(k), theta, r2.anal(k) * a, m);
    times(want, m);
  }
  expect_same(rs, want);
}

TEST(CoaxCascades, TendToTheIdentityAsFrequencyFalls) {
  DesignState ds = entered();
  const TwoPort low = run(ds, 0.001f);
  DesignState syn = synthesized(1, 5);
  const TwoPort low_syn = run(syn, 0.001f);
  const TwoPort id;
  for (int i = 0; i < 8; ++i) {
    EXPECT_NEAR(low.v[i], id.v[i], 1e-4f) << i;
    EXPECT_NEAR(low_syn.v[i], id.v[i], 1e-4f) << i;
  }
}

}  // namespace
}  // namespace mx
