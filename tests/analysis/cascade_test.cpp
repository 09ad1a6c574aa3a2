// Which element and junction matrices the cascades multiply, in which order:
// each chain is compared with one built here by hand from the same parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "analysis/coax_cascade.h"
#include "analysis/elements.h"
#include "analysis/lumped_cascade.h"
#include "line/attenuation.h"
#include "line/impedance.h"
#include "line/step_capacitance.h"
#include "synthesized_filter.h"

namespace mx {
namespace {

constexpr float kPi = 3.14159274f;

void times(TwoPort& r, const TwoPort& m) {
  TwoPort s;
  chain_product(s, r, m);
  r = s;
}

TwoPort shunt(float b) {
  TwoPort m;
  m.v[5] = b;
  return m;
}

TwoPort element(float value, Element kind, float f) {
  TwoPort e;
  element_two_port(kind, value, 0.0f, 0.0f, f, e);
  return e;
}

void expect_same(const TwoPort& got, const TwoPort& want) {
  for (int i = 0; i < 8; ++i) EXPECT_EQ(got.v[i], want.v[i]) << "part " << i;
}

// Every position holds both a capacitor and an inductor value, so reading the
// wrong array at a position shows.
DesignRecord lumped(int icfg, int n) {
  DesignRecord ds;
  ds.control.configuration = static_cast<Configuration>(icfg);
  ds.design.sections = n;
  for (int k = 1; k <= 31; ++k) {
    ds.ladder.shunt_pf(k) = 1.0f + 0.25f * static_cast<float>(k);
    ds.ladder.series_nh(k) = 3.0f + 1.5f * static_cast<float>(k);
  }
  return ds;
}

TEST(LumpedCascade, AlternatesFromTheConfiguredFirstElement) {
  const float f = 900.0f;
  TwoPort rs;

  DesignRecord ds = lumped(1, 4);
  lumped_cascade(ds, f, rs);
  TwoPort want;
  times(want, element(ds.ladder.shunt_pf(1), Element::kShuntC, f));
  times(want, element(ds.ladder.series_nh(2), Element::kSeriesL, f));
  times(want, element(ds.ladder.shunt_pf(3), Element::kShuntC, f));
  times(want, element(ds.ladder.series_nh(4), Element::kSeriesL, f));
  expect_same(rs, want);

  ds = lumped(2, 3);
  lumped_cascade(ds, f, rs);
  want = TwoPort::identity();
  times(want, element(ds.ladder.series_nh(1), Element::kSeriesL, f));
  times(want, element(ds.ladder.shunt_pf(2), Element::kShuntC, f));
  times(want, element(ds.ladder.series_nh(3), Element::kSeriesL, f));
  expect_same(rs, want);

  ds = lumped(1, 1);
  lumped_cascade(ds, f, rs);
  expect_same(rs, element(ds.ladder.shunt_pf(1), Element::kShuntC, f));
  ds = lumped(2, 1);
  lumped_cascade(ds, f, rs);
  expect_same(rs, element(ds.ladder.series_nh(1), Element::kSeriesL, f));
}

// Bit for bit; two NaNs count as equal (a NaN prints as NaN).
bool same_parts(const TwoPort& got, const TwoPort& want) {
  for (std::size_t i = 0; i < 8; ++i)
    if (std::bit_cast<std::uint32_t>(got.v[i]) != std::bit_cast<std::uint32_t>(want.v[i]) &&
        !(std::isnan(got.v[i]) && std::isnan(want.v[i])))
      return false;
  return true;
}

bool any_nan(const TwoPort& m) {
  return std::any_of(m.v.begin(), m.v.end(), [](float x) { return std::isnan(x); });
}

// Eleven frequencies, MHz: four, four, two and one at a time. The highest
// overflow the elements, so that some chains end with a NaN and are done
// again in full.
constexpr float kSpread[] = {1.0f,    900.0f, 0.01f,   2000.0f, 1.0e4f, 3.0e6f,
                             1.0e12f, 7.5f,   1.0e25f, 1.0e30f, 3.0e38f};

TEST(LumpedCascades, SideBySideAsTheChainBuiltByHand) {
  DesignRecord ds = lumped(1, 30);
  ds.ladder.series_nh(6) = 1.0e37f;  // its reactance overflows above a few kHz
  const LumpedLadder ladder = lumped_ladder(ds);
  TwoPort got[std::size(kSpread)];
  lumped_cascades(ladder, kSpread, got);
  int with_nan = 0;
  for (std::size_t j = 0; j < std::size(kSpread); ++j) {
    const float f = kSpread[j];
    TwoPort want;
    for (int k = 1; k <= 30; ++k)
      times(want, k % 2 == 1 ? element(ds.ladder.shunt_pf(k), Element::kShuntC, f)
                             : element(ds.ladder.series_nh(k), Element::kSeriesL, f));
    EXPECT_TRUE(same_parts(got[j], want)) << f << " MHz";
    TwoPort one;
    lumped_cascade(ladder, f, one);
    EXPECT_TRUE(same_parts(one, want)) << f << " MHz";
    with_nan += any_nan(want) ? 1 : 0;
  }
  EXPECT_GT(with_nan, 0);
}

// A lossy synthesized filter: all four line kinds differ so that the row used
// for each junction's frequency factor shows, and every discap entry (also of
// the high-impedance sections, where the synthesis leaves zeros) is distinct.
DesignRecord synthesized(int icfg, int n) {
  DesignRecord ds = test::synthesized_filter(static_cast<Configuration>(icfg), n);
  for (int i = 1; i <= 31; ++i) {
    ds.coax.length(i) = 0.2f + 0.03f * static_cast<float>(i);
    ds.coax.step_f(i, 1) = (2.0f + static_cast<float>(i)) * 1.0e-13f;
    ds.coax.step_f(i, 2) = (2.5f + static_cast<float>(i)) * 1.0e-13f;
  }
  return ds;
}

constexpr float kDisc2 = 3.3e-13f;
constexpr float kDisc5 = 4.4e-13f;

// Hand-built pieces of the synthesized chain at f.
struct SynthChain {
  const DesignRecord& ds;
  float f;
  TwoPort r;
  float lambda_high() const { return ds.coax.v_high / (f * 1.0e6f); }
  void junction(int x, float c, float fkx) {
    const float g = (ds.lines.outer(x) - ds.lines.inner(1)) / lambda_high();
    const float fkp = 1.0f / std::sqrt(1.0f - g * g);
    times(r, shunt(fkp / fkx * 2.0f * kPi * f * 1.0e6f * c));
  }
  void line(int i, int kind) {
    const float v = kind == 1 ? ds.coax.v_high : ds.coax.v_low;
    const float theta = ds.coax.length(i) / (v / (f * 1.0e6f)) * 2.0f * kPi;
    const float a =
        line_attenuation(ds.lines.outer(kind), ds.lines.inner(kind), ds.lines.er(kind),
                         ds.losses.roughness, ds.losses.resistivity, ds.losses.loss_tangent, f);
    TwoPort m;
    line_two_port(kind == 1 ? ds.coax.z_high : ds.coax.z_low, theta, ds.coax.length(i) * a, m);
    times(r, m);
  }
  void high(int i) { line(i, 1); }
  void low(int i) { line(i, 2); }
};

TwoPort run(DesignRecord& ds, float f) {
  TwoPort rs;
  rs.v = {7, 7, 7, 7, 7, 7, 7, 7};  // the cascade must start from the identity
  coax_cascade(ds, EndSteps{kDisc2, kDisc5}, f, rs);
  return rs;
}

TEST(CoaxSynthesized, StandardOddAndEven) {
  const float f = 2500.0f;
  DesignRecord ds = synthesized(1, 3);
  const auto& c = ds.coax;
  const float fk3 = ds.coax.factor3;
  SynthChain h{ds, f, {}};
  h.junction(1, c.step_f(1, 1), fk3);
  h.low(1);
  h.junction(1, c.step_f(1, 2), fk3);
  h.high(2);
  h.junction(1, c.step_f(3, 1), fk3);
  h.low(3);
  h.junction(2, c.step_f(3, 2), fk3);  // ends on a low-impedance section
  expect_same(run(ds, f), h.r);

  DesignRecord ds4 = synthesized(1, 4);
  SynthChain h4{ds4, f, {}};
  h4.junction(1, c.step_f(1, 1), fk3);
  h4.low(1);
  h4.junction(1, c.step_f(1, 2), fk3);
  h4.high(2);
  h4.junction(1, c.step_f(3, 1), fk3);
  h4.low(3);
  h4.junction(1, c.step_f(3, 2), fk3);
  h4.high(4);
  h4.junction(3, kDisc5, ds4.coax.factor5);  // ends on a high-impedance section
  expect_same(run(ds4, f), h4.r);

  DesignRecord ds1 = synthesized(1, 1);
  SynthChain h1{ds1, f, {}};
  h1.junction(1, c.step_f(1, 1), fk3);
  h1.low(1);
  h1.junction(2, c.step_f(1, 2), fk3);
  expect_same(run(ds1, f), h1.r);
}

TEST(CoaxSynthesized, DualOddAndEven) {
  const float f = 1700.0f;
  DesignRecord ds = synthesized(2, 3);
  const auto& c = ds.coax;
  const float fk3 = ds.coax.factor3;
  SynthChain h{ds, f, {}};
  h.junction(0, kDisc2, ds.coax.factor2);  // starts on a high-impedance section
  h.high(1);
  h.junction(1, c.step_f(2, 1), fk3);
  h.low(2);
  h.junction(1, c.step_f(2, 2), fk3);
  h.high(3);
  h.junction(3, kDisc5, ds.coax.factor5);
  expect_same(run(ds, f), h.r);

  DesignRecord ds4 = synthesized(2, 4);
  SynthChain h4{ds4, f, {}};
  h4.junction(0, kDisc2, ds4.coax.factor2);
  h4.high(1);
  h4.junction(1, c.step_f(2, 1), fk3);
  h4.low(2);
  h4.junction(1, c.step_f(2, 2), fk3);
  h4.high(3);
  h4.junction(1, c.step_f(4, 1), fk3);
  h4.low(4);
  h4.junction(2, c.step_f(4, 2), fk3);
  expect_same(run(ds4, f), h4.r);

  DesignRecord ds1 = synthesized(2, 1);
  SynthChain h1{ds1, f, {}};
  h1.junction(0, kDisc2, ds1.coax.factor2);
  h1.high(1);
  h1.junction(3, kDisc5, ds1.coax.factor5);
  expect_same(run(ds1, f), h1.r);
}

// An entered circuit of three sections between a source and a load line that
// differ from them; the lengths of lines 0 and n+1 must not enter.
DesignRecord entered() {
  DesignRecord ds;
  ds.control.origin = Origin::kDistributedEntered;
  ds.design.sections = 3;
  const float b[5] = {0.5f, 0.5f, 0.5f, 0.6f, 0.6f};
  const float d[5] = {0.2172f, 0.08f, 0.41f, 0.1f, 0.26f};
  const float er[5] = {1.0f, 1.0f, 2.1f, 1.0f, 1.0f};
  for (int k = 0; k < 5; ++k) {
    ds.entered.outer(k) = b[k];
    ds.entered.inner(k) = d[k];
    ds.entered.er(k) = er[k];
    ds.entered.zo(k) = line_impedance(b[k], d[k], er[k]);
    ds.entered.length(k) = 0.3f + 0.1f * static_cast<float>(k);
  }
  ds.entered.junction_f(4) = 99.0f;
  ds.coax.last_factor = -1.0f;
  ds.losses.resistivity = 1.724e-6f / 2.54f;
  ds.losses.roughness = 30.0e-6f;
  ds.losses.loss_tangent = 0.0004f;
  return ds;
}

// The entered circuit of ds at f built by hand: junction 0, section 1, ...,
// junction n; cd receives the step capacitances, fk the last factor.
TwoPort entered_by_hand(const DesignRecord& ds, float f, float* cd, float& fk) {
  const EnteredLines& e = ds.entered;
  const int n = ds.design.sections;
  TwoPort want;
  for (int i = 0; i <= n; ++i) {
    cd[i] = step_capacitance(e.inner(i), e.inner(i + 1), e.outer(i), e.outer(i + 1), e.er(i),
                             e.er(i + 1), f, fk);
    times(want, shunt(2.0f * kPi * f * 1.0e6f * cd[i]));
    if (i == n) break;
    const int k = i + 1;
    const float theta = e.length(k) * f * std::sqrt(e.er(k)) * 2.0f * kPi / 11802.8545f;
    const float a = line_attenuation(e.outer(k), e.inner(k), e.er(k), ds.losses.roughness,
                                     ds.losses.resistivity, ds.losses.loss_tangent, f);
    TwoPort m;
    line_two_port(e.zo(k), theta, e.length(k) * a, m);
    times(want, m);
  }
  return want;
}

TEST(CoaxEntered, JunctionsThenSectionsFromTheSource) {
  const float f = 3000.0f;
  DesignRecord ds = entered();
  const TwoPort rs = run(ds, f);
  float cd[4] = {};
  float fk = 0.0f;
  const TwoPort want = entered_by_hand(ds, f, cd, fk);
  for (int i = 0; i <= 3; ++i) {
    EXPECT_EQ(ds.entered.junction_f(i), cd[i]) << i;
    EXPECT_GT(cd[i], 0.0f) << i;
  }
  EXPECT_EQ(ds.entered.junction_f(4), 99.0f);
  EXPECT_EQ(ds.coax.last_factor, fk);  // factor of the last junction
  expect_same(rs, want);
}

TEST(CoaxCascades, SideBySideAsTheChainBuiltByHand) {
  const DesignRecord ds = entered();
  const CoaxNetwork net = coax_network(ds, EndSteps{});
  TwoPort got[std::size(kSpread)];
  coax_cascades(net, kSpread, got);
  int with_nan = 0;
  for (std::size_t j = 0; j < std::size(kSpread); ++j) {
    float cd[4] = {};
    float fk = 0.0f;
    const TwoPort want = entered_by_hand(ds, kSpread[j], cd, fk);
    EXPECT_TRUE(same_parts(got[j], want)) << kSpread[j] << " MHz";
    with_nan += any_nan(want) ? 1 : 0;
  }
  EXPECT_GT(with_nan, 0);
}

// Sections and junctions that repeat are evaluated once per frequency; the
// chain must still hold each at its place. Two kinds alternate between ends
// that differ from both, so every kind of junction occurs more than once.
TEST(CoaxEntered, RepeatedSectionsKeepTheirPlaces) {
  const float f = 2200.0f;
  DesignRecord ds = entered();
  constexpr int n = 6;
  ds.design.sections = n;
  EnteredLines& e = ds.entered;
  for (int k = 1; k <= n; ++k) {
    const bool low = k % 2 == 1;
    e.outer(k) = 0.5f;
    e.inner(k) = low ? 0.41f : 0.08f;
    e.er(k) = low ? 2.1f : 1.0f;
    e.length(k) = low ? (k == 5 ? 0.3f : 0.25f) : 0.6f;  // one section longer than its kind
    e.zo(k) = line_impedance(e.outer(k), e.inner(k), e.er(k));
  }
  e.outer(n + 1) = 0.6f;
  e.inner(n + 1) = 0.26f;
  e.er(n + 1) = 1.0f;
  const TwoPort rs = run(ds, f);

  float cd[n + 1] = {};
  float fk = 0.0f;
  const TwoPort want = entered_by_hand(ds, f, cd, fk);
  for (int i = 0; i <= n; ++i) EXPECT_EQ(e.junction_f(i), cd[i]) << i;
  EXPECT_EQ(ds.coax.last_factor, fk);
  expect_same(rs, want);
}

// A symmetric synthesized filter repeats its lengths and step capacitances.
TEST(CoaxSynthesized, RepeatedLengthsKeepTheirPlaces) {
  const float f = 1900.0f;
  DesignRecord ds = synthesized(1, 5);
  auto& c = ds.coax;
  for (int i = 1; i <= 5; ++i) {
    const float m = static_cast<float>(std::min(i, 6 - i));
    c.length(i) = 0.2f + 0.05f * m;
    c.step_f(i, 1) = (2.0f + m) * 1.0e-13f;
    c.step_f(i, 2) = (2.0f + m) * 1.0e-13f;
  }
  const float fk3 = c.factor3;
  SynthChain h{ds, f, {}};
  h.junction(1, c.step_f(1, 1), fk3);
  h.low(1);
  h.junction(1, c.step_f(1, 2), fk3);
  h.high(2);
  h.junction(1, c.step_f(3, 1), fk3);
  h.low(3);
  h.junction(1, c.step_f(3, 2), fk3);
  h.high(4);
  h.junction(1, c.step_f(5, 1), fk3);
  h.low(5);
  h.junction(2, c.step_f(5, 2), fk3);
  expect_same(run(ds, f), h.r);
}

TEST(CoaxCascades, TendToTheIdentityAsFrequencyFalls) {
  DesignRecord ds = entered();
  const TwoPort low = run(ds, 0.001f);
  DesignRecord syn = synthesized(1, 5);
  const TwoPort low_syn = run(syn, 0.001f);
  const TwoPort id;
  for (int i = 0; i < 8; ++i) {
    EXPECT_NEAR(low.v[i], id.v[i], 1e-4f) << i;
    EXPECT_NEAR(low_syn.v[i], id.v[i], 1e-4f) << i;
  }
}

}  // namespace
}  // namespace mx
