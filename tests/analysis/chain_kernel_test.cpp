// The register product of the cascades against the plain chain_product, bit
// for bit, over random operands rich in the values where arithmetic
// identities break: zeros of both signs, subnormals, the 1e15 limit and its
// neighbours, products that overflow, infinities and NaN. Two NaNs count as
// equal whatever their sign and payload: a NaN prints as NaN, and which of
// two NaN operands an instruction passes on is not fixed even in the plain
// code (the compiler may swap the operands of a commutative operation).
#include "analysis/chain_kernel.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace mx {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

std::string bits(float x) {
  char text[9] = {};
  std::to_chars(text, text + 8, std::bit_cast<std::uint32_t>(x), 16);
  return text;
}

bool same(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult same_two_port(const TwoPort& got, const TwoPort& want) {
  for (int i = 0; i < 8; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (!same(got.v[k], want.v[k]))
      return ::testing::AssertionFailure()
             << "part " << i << ": " << got.v[k] << " (0x" << bits(got.v[k]) << "), want "
             << want.v[k] << " (0x" << bits(want.v[k]) << ")";
  }
  return ::testing::AssertionSuccess();
}

// Values where the identities the product relies on could break.
const std::vector<float>& specials() {
  static const std::vector<float> v = [] {
    const float limit = kPartLimit;
    std::vector<float> s = {0.0f,
                            1.0f,
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::min() / 3.0f,  // subnormal
                            std::numeric_limits<float>::min(),
                            limit,
                            std::nextafter(limit, kInf),
                            std::nextafter(limit, 0.0f),
                            3.16227766e7f,  // its square is near the limit
                            1.0e20f,        // its square overflows
                            std::numeric_limits<float>::max(),
                            kInf,
                            std::numeric_limits<float>::quiet_NaN(),
                            0.1f};
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) s.push_back(-s[i]);
    return s;
  }();
  return v;
}

// A random value: a special one, one of ordinary size or random bits.
float value(std::mt19937& g) {
  const auto& s = specials();
  switch (g() % 4) {
    case 0:
      return s[g() % s.size()];
    case 1:
      return std::bit_cast<float>(static_cast<std::uint32_t>(g()));
    default: {
      std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
      return std::ldexp(mantissa(g), static_cast<int>(g() % 120) - 60);
    }
  }
}

TwoPort random_two_port(std::mt19937& g) {
  TwoPort m;
  for (float& x : m.v) x = value(g);
  return m;
}

TwoPort plain(const TwoPort& left, const TwoPort& right) {
  TwoPort out;
  chain_product(out, left, right);
  return out;
}

TwoPort in_registers(const TwoPort& left, const ChainFactor& right) {
  return to_two_port(times(to_chain(left), right));
}

TEST(ChainKernel, ConversionsKeepEveryBit) {
  std::mt19937 g(7);
  for (int n = 0; n < 1000; ++n) {
    const TwoPort m = random_two_port(g);
    const TwoPort back = to_two_port(to_chain(m));
    for (std::size_t i = 0; i < 8; ++i)
      EXPECT_EQ(std::bit_cast<std::uint32_t>(back.v[i]), std::bit_cast<std::uint32_t>(m.v[i]));
  }
}

TEST(ChainKernel, RandomProductsMatchTheChainProduct) {
  std::mt19937 g(20260907);
  for (int n = 0; n < 200000; ++n) {
    const TwoPort a = random_two_port(g);
    const TwoPort b = random_two_port(g);
    ASSERT_TRUE(same_two_port(in_registers(a, factor_of(b)), plain(a, b))) << "product " << n;
  }
}

// Every combination of special values in one entry of each operand (A of the
// left one, A and C of the right one), the rest random.
TEST(ChainKernel, EverySpecialCombinationInOneEntry) {
  std::mt19937 g(31);
  const auto& s = specials();
  for (float x1 : s)
    for (float y1 : s)
      for (float x2 : s)
        for (float y2 : s) {
          TwoPort a = random_two_port(g);
          TwoPort b = random_two_port(g);
          a.v[0] = x1;
          a.v[1] = y1;
          b.v[0] = x2;
          b.v[1] = y2;
          b.v[4] = y1;
          b.v[5] = x2;
          ASSERT_TRUE(same_two_port(in_registers(a, factor_of(b)), plain(a, b)))
              << x1 << " " << y1 << " " << x2 << " " << y2;
        }
}

// The element matrices built in registers (where the compiler may fold the
// multiplications by the identity's ones) against element matrices in memory,
// along chains as long as the longest ladder.
TEST(ChainKernel, ElementChainsMatchPlainChains) {
  std::mt19937 g(5);
  for (int n = 0; n < 2000; ++n) {
    TwoPort want = random_two_port(g);
    ChainState got = to_chain(want);
    for (int k = 0; k < 31; ++k) {
      const float x = value(g);
      TwoPort e;
      if (g() % 2 == 0) {
        e.v[3] = x;
        got = times(got, series_factor(x));
      } else {
        e.v[5] = x;
        got = times(got, shunt_factor(x));
      }
      want = plain(want, e);
      ASSERT_TRUE(same_two_port(to_two_port(got), want)) << "chain " << n << " element " << k;
    }
  }
}

bool any_nan(const TwoPort& m) {
  for (float x : m.v)
    if (std::isnan(x)) return true;
  return false;
}

// A running product as the cascades can hold one while it has no NaN: each
// part finite and at most twice the limit, special values included.
TwoPort running_product(std::mt19937& g) {
  TwoPort m;
  for (float& x : m.v) {
    do x = value(g);
    while (!std::isfinite(x) || std::fabs(x) > 2.0f * kPartLimit);
  }
  return m;
}

TwoPort series_element(float x) {
  TwoPort e;
  e.v[3] = x;
  return e;
}

TwoPort shunt_element(float b) {
  TwoPort e;
  e.v[5] = b;
  return e;
}

// Without a NaN in the running product, the shortened products are the full
// ones bit for bit, for any element value, infinite and NaN included.
TEST(ChainKernel, ShortenedElementProductsAreTheFullOnes) {
  std::mt19937 g(2026);
  for (int n = 0; n < 200000; ++n) {
    const TwoPort a = running_product(g);
    const float x = value(g);
    ASSERT_TRUE(
        same_two_port(to_two_port(times_series(to_chain(a), x)), plain(a, series_element(x))))
        << "series " << n << " x " << x;
    ASSERT_TRUE(same_two_port(to_two_port(times_shunt(to_chain(a), x)), plain(a, shunt_element(x))))
        << "shunt " << n << " b " << x;
  }
}

// Chains of shortened element products and full products of random
// matrices: a ladder whose elements mostly alternate (the products after an
// element of the other kind where the cascade takes them), the same with
// the general shortened products only, and a coaxial filter's junctions
// between lines. A chain ends with a NaN exactly when the full chain does,
// and otherwise equals it.
TEST(ChainKernel, ShortenedChainsEndWithNaNExactlyWhenFullOnesDo) {
  std::mt19937 g(17);
  int with_nan = 0;
  for (int n = 0; n < 30000; ++n) {
    const int kind = n % 3;
    TwoPort want;
    ChainState got = chain_identity();
    bool series_before = false;
    for (int k = 0; k < 31; ++k) {
      // Mostly ordinary element values, now and then a special one.
      const float x = g() % 16 == 0 ? value(g) : std::ldexp(static_cast<float>(g() % 1000), -3);
      if (kind == 2 && k % 2 == 1) {
        TwoPort m;
        for (float& p : m.v) p = g() % 32 == 0 ? value(g) : static_cast<float>(g() % 200) / 99.0f;
        got = times(got, factor_of(m));
        want = plain(want, m);
        continue;
      }
      const bool series = kind == 2 ? false : (g() % 4 == 0 ? series_before : !series_before);
      const bool alternate = kind == 0 && (k == 0 || series != series_before);
      if (series) {
        got = alternate ? times_series_after_shunt(got, x) : times_series(got, x);
        want = plain(want, series_element(x));
      } else {
        got = alternate ? times_shunt_after_series(got, x) : times_shunt(got, x);
        want = plain(want, shunt_element(x));
      }
      series_before = series;
    }
    ASSERT_EQ(holds_nan(got), any_nan(want)) << "chain " << n;
    if (holds_nan(got)) {
      ++with_nan;
      continue;
    }
    ASSERT_TRUE(same_two_port(to_two_port(got), want)) << "chain " << n;
  }
  // Both kinds of end occur.
  EXPECT_GT(with_nan, 1000);
  EXPECT_LT(with_nan, 29000);
}

#if MX_CHAIN_AVX
// The products of a pair of chains in AVX registers against each chain's own
// products: a, b running products, m, n full factors, x, y element values.
// Returns the first product that differs (0: none). (Compiled for AVX as a
// whole: the kernel's AVX functions inline only into such code.)
MX_CHAIN_AVX_CODE int first_pair_difference(const TwoPort& a, const TwoPort& b, const TwoPort& m,
                                            const TwoPort& n, float x, float y) {
  const ChainState ca = to_chain(a);
  const ChainState cb = to_chain(b);
  const ChainPair p = pair_of(ca, cb);
  const ChainPair got[5] = {times(p, factor_pair(factor_of(m), factor_of(n))),
                            times_series(p, x, y), times_shunt(p, x, y),
                            times_series_after_shunt(p, x, y), times_shunt_after_series(p, x, y)};
  const ChainState want_a[5] = {times(ca, factor_of(m)), times_series(ca, x), times_shunt(ca, x),
                                times_series_after_shunt(ca, x), times_shunt_after_series(ca, x)};
  const ChainState want_b[5] = {times(cb, factor_of(n)), times_series(cb, y), times_shunt(cb, y),
                                times_series_after_shunt(cb, y), times_shunt_after_series(cb, y)};
  for (int k = 0; k < 5; ++k) {
    if (!same_two_port(to_two_port(first_of(got[k])), to_two_port(want_a[k]))) return k + 1;
    if (!same_two_port(to_two_port(second_of(got[k])), to_two_port(want_b[k]))) return k + 1;
  }
  return 0;
}

TEST(ChainKernel, AvxPairsAreTwoChainsBitForBit) {
  if (!chain_avx_available()) GTEST_SKIP() << "no AVX on this processor";
  std::mt19937 g(44);
  for (int n = 0; n < 100000; ++n) {
    const TwoPort a = random_two_port(g);
    const TwoPort b = random_two_port(g);
    const TwoPort m = random_two_port(g);
    const TwoPort k = random_two_port(g);
    const float x = value(g);
    const float y = value(g);
    ASSERT_EQ(first_pair_difference(a, b, m, k, x, y), 0) << "operands " << n;
  }
}
#endif

TEST(ChainKernel, IndependentChainsSideBySide) {
  std::mt19937 g(11);
  TwoPort want[3] = {TwoPort::identity(), random_two_port(g), random_two_port(g)};
  ChainState got[3];
  for (int j = 0; j < 3; ++j) got[j] = to_chain(want[j]);
  for (int k = 0; k < 40; ++k) {
    TwoPort m[3] = {random_two_port(g), random_two_port(g), random_two_port(g)};
    for_each_chain<3>([&](int j) { got[j] = times(got[j], factor_of(m[j])); });
    for (int j = 0; j < 3; ++j) want[j] = plain(want[j], m[j]);
  }
  for (int j = 0; j < 3; ++j) EXPECT_TRUE(same_two_port(to_two_port(got[j]), want[j])) << j;
}

}  // namespace
}  // namespace mx
