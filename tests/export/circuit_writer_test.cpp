#include "export/circuit_writer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/fields.h"

namespace mx {
namespace {

// The program's own reader of a numeric entry (columns 1-13).
constexpr auto read_field = &mx::read_f13;
// ---------------------------------------------------------------------------

std::uint32_t bits(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

float from_bits(std::uint32_t u) {
  float v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// The text fits the field and the reader gets the same float back.
void expect_exact(float v) {
  const std::optional<std::string> t = f13_text(v);
  ASSERT_TRUE(t.has_value()) << v;
  ASSERT_LE(t->size(), kFieldWidth) << *t;
  const auto f = read_field(*t + std::string(kFieldWidth - t->size(), ' ') + "COMMENT 1, pF");
  ASSERT_TRUE(f.ok) << *t;
  ASSERT_FALSE(f.blank) << *t;
  ASSERT_EQ(bits(f.value), bits(v)) << *t;
}

TEST(F13Text, PlainNotationWhenItFits) {
  EXPECT_EQ(f13_text(3.76f), "3.76");
  EXPECT_EQ(f13_text(11.322f), "11.322");
  EXPECT_EQ(f13_text(1.0f), "1");
  EXPECT_EQ(f13_text(0.0f), "0");
  EXPECT_EQ(f13_text(123456790.0f), "123456792");  // the float's exact value
  EXPECT_EQ(f13_text(0.0001234f), "0.0001234");
}

TEST(F13Text, CompactExponentAndIntegerMantissa) {
  EXPECT_EQ(f13_text(1.2345678e-5f), "1.2345678E-5");
  EXPECT_EQ(f13_text(1e-30f), "1E-30");
  EXPECT_EQ(f13_text(3.0e20f), "3E20");
  EXPECT_EQ(f13_text(FLT_MAX), "3.4028235E38");
  EXPECT_EQ(f13_text(std::numeric_limits<float>::denorm_min()), "1E-45");
  EXPECT_EQ(f13_text(FLT_MIN), "1.1754944E-38");
  // Nine digits with a two-digit negative exponent: the longest case.
  EXPECT_EQ(f13_text(1.04860595e-36f), "104860595E-44");
  for (float v : {FLT_MAX, FLT_MIN, std::numeric_limits<float>::denorm_min(), 1.2345678e-5f,
                  1.04860595e-36f, 9.99999944e-39f, 123456789.0f, 1.00000012f, 16777217.0f})
    expect_exact(v);
}

TEST(F13Text, EveryPositiveFloatFitsAndReadsBack) {
  // A sample of all positive finite floats spread over every binade, and the
  // neighbours of the powers of ten, where the digit count changes.
  for (std::uint32_t u = 1; u < 0x7f800000u; u += 9973u) expect_exact(from_bits(u));
  for (int e = -45; e <= 38; ++e) {
    const float p = std::strtof(("1e" + std::to_string(e)).c_str(), nullptr);
    float v = p;
    for (int k = 0; k < 20; ++k) v = std::nextafter(v, 0.0f);
    for (int k = 0; k < 40; ++k, v = std::nextafter(v, FLT_MAX))
      if (v > 0.0f && std::isfinite(v)) expect_exact(v);
  }
}

TEST(F13Text, ValuesWithNoExactField) {
  EXPECT_FALSE(f13_text(std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FALSE(f13_text(std::numeric_limits<float>::infinity()));
  EXPECT_FALSE(f13_text(-std::numeric_limits<float>::infinity()));
  EXPECT_FALSE(f13_text(-1.04860595e-36f));  // "-104860595E-44" needs 14 columns
  // Negative values with fewer digits still fit.
  EXPECT_EQ(f13_text(-1.25f), "-1.25");
  expect_exact(-1.2345678e-30f);
  expect_exact(-0.0f);
}

TEST(LumpedCircuitFile, SampleLayoutAndExactValues) {
  const LumpedCircuit c{"7-element 0.1 dB Chebyshev low-pass, 1000 MHz, 50 ohm",
                        1,
                        {3.76f, 11.322f, 6.674f, 12.521f, 6.674f, 11.322f, 1.2345678e-5f}};
  std::ostringstream os;
  write_lumped_circuit(os, c);
  const auto l = lines_of(os.str());
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[0], c.title);
  EXPECT_EQ(l[1], "1            ICFG: 1 standard (shunt C first)");
  EXPECT_EQ(l[2], "3.76         SHUNTC 1, pF");
  EXPECT_EQ(l[3], "11.322       SERL 2, nH");
  EXPECT_EQ(l[8], "1.2345678E-5 SHUNTC 7, pF");
  const auto cfg = read_field(l[1]);
  EXPECT_TRUE(cfg.ok);
  EXPECT_EQ(cfg.value, 1.0f);
  for (std::size_t k = 0; k < c.values.size(); ++k) {
    const auto f = read_field(l[k + 2]);
    ASSERT_TRUE(f.ok) << l[k + 2];
    EXPECT_EQ(bits(f.value), bits(c.values[k])) << l[k + 2];
  }
}

TEST(LumpedCircuitFile, DualConfigurationLabelsAndOneLineTitle) {
  const LumpedCircuit c{"two\r\nlines\n", 2, {1.5f, 2.5f, 3.5f}};
  std::ostringstream os;
  write_lumped_circuit(os, c);
  const auto l = lines_of(os.str());
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], "twolines");
  EXPECT_EQ(l[1].substr(13), "ICFG: 2 dual (series L first)");
  EXPECT_EQ(l[2].substr(13), "SERL 1, nH");
  EXPECT_EQ(l[3].substr(13), "SHUNTC 2, pF");
  EXPECT_EQ(l[4].substr(13), "SERL 3, nH");
}

TEST(LumpedCircuitFile, UnwritableValueIsRefusedByTheReader) {
  // A value with no exact field never turns into another number.
  const LumpedCircuit c{"t", 7, {std::nanf(""), std::numeric_limits<float>::infinity(), 2.0f}};
  std::ostringstream os;
  write_lumped_circuit(os, c);
  const auto l = lines_of(os.str());
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(read_field(l[1]).value, 7.0f);  // written as given: the reader rejects it
  EXPECT_EQ(l[2].substr(0, 13), "*************");
  EXPECT_NE(l[2].find("cannot be written"), std::string::npos);
  EXPECT_FALSE(read_field(l[2]).ok);
  EXPECT_FALSE(read_field(l[3]).ok);
  EXPECT_EQ(read_field(l[4]).value, 2.0f);
  EXPECT_EQ(l[4].substr(13), "ELEMENT 3");
}

TEST(CoaxCircuitFile, SampleLayoutAndExactValues) {
  CoaxCircuit c;
  c.title = "7-section coaxial low-pass, 1000 MHz";
  c.source = {0.5f, 0.2172f, 1.0f, 0.0f};
  c.load = {0.5f, 0.2172f, 1.0f, 0.0f};
  for (int i = 1; i <= 7; ++i) {
    const bool low = i % 2 == 1;
    c.sections.push_back(
        {0.5f, low ? 0.45f : 0.1f, 1.0f, 0.175f * static_cast<float>(i) + 1.0e-7f});
  }
  c.sections[3] = c.source;  // same line as the source: no note
  c.sections[3].length = 1.754f;
  std::ostringstream os;
  write_coax_circuit(os, c);
  const auto l = lines_of(os.str());
  ASSERT_EQ(l.size(), 2u + 3u + 4u * 7u + 3u);
  EXPECT_EQ(l[0], c.title);
  EXPECT_EQ(l[1], "7            N: number of sections");
  EXPECT_EQ(l[2], "0.5          BSource, inch");
  EXPECT_EQ(l[3], "0.2172       DSource, inch");
  EXPECT_EQ(l[4], "1            ErSource");
  EXPECT_EQ(l[5].substr(13), "LENGTH 1, inch (low impedance)");
  EXPECT_EQ(l[6], "0.5          B 1, inch");
  EXPECT_EQ(l[7], "0.45         D 1, inch");
  EXPECT_EQ(l[8], "1            Er 1");
  EXPECT_EQ(l[9].substr(13), "LENGTH 2, inch (high impedance)");
  EXPECT_EQ(l[17].substr(13), "LENGTH 4, inch");
  EXPECT_EQ(l[l.size() - 3], "0.5          BLoad, inch");
  EXPECT_EQ(l[l.size() - 1], "1            ErLoad");

  // Every number reads back exactly, in file order.
  std::vector<float> want{7.0f, c.source.outer, c.source.inner, c.source.er};
  for (const CoaxLine& s : c.sections) want.insert(want.end(), {s.length, s.outer, s.inner, s.er});
  want.insert(want.end(), {c.load.outer, c.load.inner, c.load.er});
  for (std::size_t k = 0; k < want.size(); ++k) {
    const auto f = read_field(l[k + 1]);
    ASSERT_TRUE(f.ok) << l[k + 1];
    EXPECT_EQ(bits(f.value), bits(want[k])) << l[k + 1];
  }
}

TEST(CoaxCircuitFile, ImpossibleLinesGetNoImpedanceNote) {
  CoaxCircuit c;
  c.title = "bad";
  c.source = {0.5f, 0.6f, 1.0f, 0.0f};  // inner above outer
  c.sections.push_back({0.5f, 0.1f, 1.0f, 1.0f});
  c.sections.push_back({0.5f, 0.0f, 1.0f, 1.0f});
  c.load = {0.5f, 0.2f, 1.0f, 0.0f};
  std::ostringstream os;
  write_coax_circuit(os, c);
  const auto l = lines_of(os.str());
  ASSERT_EQ(l.size(), 2u + 3u + 8u + 3u);
  EXPECT_EQ(l[5].substr(13), "LENGTH 1, inch");
  EXPECT_EQ(l[9].substr(13), "LENGTH 2, inch");
}

}  // namespace
}  // namespace mx
