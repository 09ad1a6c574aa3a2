#include "base/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <span>

namespace mx {
namespace {

std::string fx(float v, int w, int d) {
  std::string s;
  put_fixed(s, v, w, d);
  return s;
}

std::string render(const char* fmt, std::initializer_list<Value> values, bool end = true) {
  std::string s;
  Format(fmt).render(s, values, end);
  return s;
}

TEST(FixedField, WidthsRoundingAndOverflow) {
  EXPECT_EQ(fx(1500.0f, 10, 4), " 1500.0000");
  EXPECT_EQ(fx(1500.0f, 20, 4), std::string(11, ' ') + "1500.0000");
  EXPECT_EQ(fx(12.3456f, 6, 2), " 12.35");
  EXPECT_EQ(fx(123456.7f, 6, 2), "******");
  EXPECT_EQ(fx(12345.6f, 9, 0), "   12346.");
  EXPECT_EQ(fx(10000.5f, 9, 0), "   10001.");
  EXPECT_EQ(fx(10000.0f, 9, 3), "10000.000");
}

TEST(FixedField, TiesGoAwayFromZeroOnTheExactValue) {
  EXPECT_EQ(fx(0.125f, 5, 2), " 0.13");
  EXPECT_EQ(fx(-0.125f, 6, 2), " -0.13");
  EXPECT_EQ(fx(2.5f, 3, 0), " 3.");
  // The float nearest 0.145 lies below it, the one nearest 0.155 above it.
  EXPECT_EQ(fx(0.145f, 5, 2), " 0.14");
  EXPECT_EQ(fx(0.155f, 5, 2), " 0.16");
  EXPECT_EQ(fx(1.005f, 5, 2), " 1.00");
  EXPECT_EQ(fx(9.9995f, 7, 3), " 10.000");
  EXPECT_EQ(fx(99.995f, 6, 2), "100.00");
}

TEST(FixedField, LeadingZeroAndNegativeZero) {
  EXPECT_EQ(fx(0.5f, 6, 3), " 0.500");
  EXPECT_EQ(fx(0.5f, 4, 3), ".500");
  EXPECT_EQ(fx(0.5f, 3, 3), "***");
  EXPECT_EQ(fx(-0.5f, 5, 3), "-.500");
  EXPECT_EQ(fx(-0.001f, 6, 2), " -0.00");
  EXPECT_EQ(fx(-0.0f, 6, 2), " -0.00");
  EXPECT_EQ(fx(0.0f, 6, 2), "  0.00");
  EXPECT_EQ(fx(0.0f, 3, 2), ".00");
  EXPECT_EQ(fx(0.3f, 9, 0), "       0.");
  EXPECT_EQ(fx(0.005f, 1, 0), ".");
  EXPECT_EQ(fx(0.7f, 2, 0), "1.");
  EXPECT_EQ(fx(-0.2f, 2, 0), "-.");
}

TEST(FixedField, InfinityAndNaN) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(fx(inf, 10, 2), "  Infinity");
  EXPECT_EQ(fx(inf, 8, 2), "Infinity");
  EXPECT_EQ(fx(inf, 7, 2), "    Inf");
  EXPECT_EQ(fx(inf, 2, 0), "**");
  EXPECT_EQ(fx(-inf, 9, 2), "-Infinity");
  EXPECT_EQ(fx(-inf, 8, 2), "    -Inf");
  EXPECT_EQ(fx(-inf, 3, 2), "***");
  EXPECT_EQ(fx(nan, 6, 2), "   NaN");
  EXPECT_EQ(fx(nan, 2, 0), "**");
}

TEST(FixedField, HugeAndTinyValues) {
  EXPECT_EQ(fx(3.0e38f, 10, 4), "**********");
  EXPECT_EQ(fx(1.0e20f, 30, 2), "      100000002004087734272.00");
  EXPECT_EQ(fx(1.0e-40f, 8, 3), "   0.000");
  EXPECT_EQ(fx(-1.0e-40f, 8, 3), "  -0.000");
  EXPECT_EQ(fx(99999.9922f, 9, 2), " 99999.99");
  // More decimals than the fast path takes: one rounding of the exact value.
  EXPECT_EQ(fx(-0.001f, 13, 10), "-0.0010000000");
  EXPECT_EQ(fx(0.125f, 12, 9), " 0.125000000");
  EXPECT_EQ(fx(1.0e-10f, 14, 12), "0.000000000100");
}

// The field by the rules from the float's exact decimal expansion, the slow
// way: every decimal printed, rounded half away from zero at d decimals.
std::string exact_field(float v, int w, int d) {
  char exact[400];
  std::snprintf(exact, sizeof exact, "%.200f", std::fabs(static_cast<double>(v)));
  std::string digits(exact, std::strchr(exact, '.'));
  const char* decimals = std::strchr(exact, '.') + 1;
  digits.append(decimals, static_cast<std::size_t>(d));
  if (decimals[d] >= '5') {  // carry through the nines
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i - 1];
  }
  std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(d));
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  std::string text = std::string(std::signbit(v) ? "-" : "") + (whole.empty() ? "0" : whole) + "." +
                     digits.substr(digits.size() - static_cast<std::size_t>(d));
  if (static_cast<int>(text.size()) == w + 1 && whole.empty()) text.erase(text.find('0'), 1);
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

TEST(FixedField, AgreesWithTheExactExpansionOverRandomValues) {
  // The fields of the program's reports, and narrow ones that drop the
  // leading zero or overflow.
  // Every number of decimals up to 9 (beyond 8 the exact expansion is taken).
  const int fields[][2] = {{20, 4}, {8, 2}, {12, 2}, {9, 2},  {9, 3},  {9, 0}, {6, 2}, {10, 4},
                           {7, 3},  {6, 4}, {5, 2},  {4, 3},  {3, 2},  {2, 0}, {1, 0}, {13, 8},
                           {8, 1},  {3, 1}, {12, 5}, {14, 6}, {12, 7}, {16, 9}};
  std::mt19937 random_state(20);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> exponent(-12.0f, 20.0f);
  int checked = 0;
  for (int k = 0; k < 15000; ++k) {
    float v = 0;
    switch (k % 4) {
      case 3:  // a binary fraction: exact ties at some decimal place
        v = static_cast<float>(bits(random_state) % 2000000u) /
            static_cast<float>(1u << (1u + bits(random_state) % 12u));
        break;
      case 0:  // any bit pattern with a moderate exponent
        v = std::bit_cast<float>((bits(random_state) & 0x807fffffu) |
                                 ((100u + bits(random_state) % 70u) << 23));
        break;
      case 1:  // a magnitude from 1e-12 to 1e20
        v = std::pow(10.0f, exponent(random_state)) * (bits(random_state) % 2 ? 1.0f : -1.0f);
        break;
      default: {  // next to a tie of some decimal place
        const float tie = static_cast<float>(bits(random_state) % 200001u) / 1000.0f + 0.0005f;
        v = std::nextafter(tie, (bits(random_state) % 2) ? 1e9f : -1e9f);
        if (bits(random_state) % 2) v = -v;
      }
    }
    for (const auto& f : fields) {
      ASSERT_EQ(fx(v, f[0], f[1]), exact_field(v, f[0], f[1]))
          << std::hexfloat << v << " F" << f[0] << "." << f[1];
      ++checked;
    }
  }
  EXPECT_EQ(checked, 15000 * 22);
}

TEST(IntAndAlphaFields, JustifyAndOverflow) {
  std::string s;
  put_int(s, 7, 2);
  put_int(s, -5, 2);
  put_int(s, -10, 2);
  put_int(s, 100, 2);
  EXPECT_EQ(s, " 7-5****");
  s.clear();
  put_alpha(s, "Butterworth         ", 12);
  put_alpha(s, "Load", 6);
  put_alpha(s, "pF", 4);
  EXPECT_EQ(s, "Butterworth   Load  pF");
}

TEST(FormatText, ItemsRecordsAndEmptyLines) {
  EXPECT_EQ(render("(6X,72(1H-))", {}), std::string(6, ' ') + std::string(72, '-') + "\n");
  EXPECT_EQ(render("(/)", {}), "\n\n");
  EXPECT_EQ(render("(///,'a')", {}), "\n\n\na\n");
  EXPECT_EQ(render("('a',/)", {}), "a\n\n");
  EXPECT_EQ(render("(20X,'FC1 =',F10.4,' MHz')", {1000.0f}),
            std::string(20, ' ') + "FC1 = 1000.0000 MHz\n");
  EXPECT_EQ(render("(6X,'Filter`s',19(1H=))", {}), "      Filter`s===================\n");
  EXPECT_EQ(render("(F9.4/,1X,I2)", {1.0f, 3}), "   1.0000\n  3\n");
  EXPECT_EQ(render("(11X, '-Analysis Start Frequency, MHz = ')", {}, false),
            "           -Analysis Start Frequency, MHz = ");
  EXPECT_EQ(render("('It''s')", {}), "It's\n");
}

// The reals' own rendering gives render's text, special values and wide
// fields included, and refuses a FORMAT with other items, taking its record
// back.
TEST(FormatText, RealsRenderAsValuesDo) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const char* formats[] = {"(F20.4,F8.2,F12.2,F9.2,F9.3,F8.2,F9.3)",
                           "(1X,'x =',F6.1,/,F13.10,F3.0,F0.2,F9.9,F70.60,2X,'end')",
                           "(F7.3,F7.3,F7.3,F7.3,F7.3,F7.3,F7.3)"};
  const float sets[][7] = {{10001.0f, -0.0f, 52.67f, 999.99f, -294.013f, -95.31f, 0.001f},
                           {inf, -inf, nan, 1.0e-40f, 3.0e38f, 0.5f, -0.5f},
                           {0.125f, 99999.99f, -1.0e20f, 7.0f, 1.0e-10f, 0.0f, 1234.5f}};
  for (const char* text : formats) {
    const Format f(text);
    const auto n = static_cast<std::size_t>(f.value_count());
    for (const auto& v : sets) {
      std::string want = "prefix";
      if (n == 7) {
        f.render(want, {v[0], v[1], v[2], v[3], v[4], v[5], v[6]}, true);
      } else {
        f.render(want, {v[0], v[1], v[2], v[3], v[4], v[5]}, true);
      }
      std::string got = "prefix";
      f.render_reals(got, std::span(v, n), true);
      EXPECT_EQ(got, want) << text;
    }
  }
  std::string out = "kept";
  const float one[] = {1.0f, 2.0f};
  EXPECT_THROW(Format("(F5.1,I3)").render_reals(out, one, true), std::logic_error);
  EXPECT_THROW(Format("(F5.1)").render_reals(out, one, true), std::logic_error);
  EXPECT_EQ(out, "kept");
}

TEST(FormatText, PromptThenSlashFormsOneRecord) {
  std::string s;
  Format("(6X,'OPERATION selected = ')").render(s, {}, false);
  Format("(/,6X,'next')").render(s, {}, true);
  EXPECT_EQ(s, "      OPERATION selected = \n      next\n");
}

TEST(FormatText, MalformedFormatsAreRejected) {
  EXPECT_THROW(Format("6X"), std::logic_error);
  EXPECT_THROW(Format("('open"), std::logic_error);
  EXPECT_THROW(Format("(F10)"), std::logic_error);
  EXPECT_THROW(Format("(Q5)"), std::logic_error);
  EXPECT_THROW(render("(I3)", {1.0f}), std::logic_error);
  EXPECT_THROW(render("(I3)", {}), std::logic_error);
}

}  // namespace
}  // namespace mx
