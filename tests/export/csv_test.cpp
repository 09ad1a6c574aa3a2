#include "export/csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace mx {
namespace {

std::vector<std::vector<std::string>> cells(const std::string& text) {
  std::vector<std::vector<std::string>> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> row;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = line.find(',', start);
      row.push_back(line.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    out.push_back(row);
  }
  return out;
}

std::string write(const SweepData& d) {
  std::ostringstream os;
  write_csv(os, d);
  return os.str();
}

std::uint32_t bits(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

TEST(Csv, HeaderAndOneRowPerPointInOrder) {
  SweepData d;
  for (float f : {300.0f, 100.0f, 100.0f, std::nanf("")}) {
    SweepPoint p;
    p.f_mhz = f;
    d.points.push_back(p);
  }
  const auto c = cells(write(d));
  ASSERT_EQ(c.size(), 5u);
  EXPECT_EQ(write(SweepData{}),
            "frequency_mhz,zin_re_ohm,zin_im_ohm,vswr,loss_db,phase_deg,delay_ns,return_loss_db,"
            "s21_db\n");
  for (const auto& r : c) EXPECT_EQ(r.size(), 9u);
  EXPECT_EQ(c[1][0], "300");
  EXPECT_EQ(c[2][0], "100");
  EXPECT_EQ(c[3][0], "100");
  EXPECT_EQ(c[4][0], "nan");
}

TEST(Csv, EveryColumnReadsBackToTheSameFloat) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<std::uint32_t> any;
  SweepData d;
  std::vector<std::array<float, 8>> want;
  for (int k = 0; k < 2000; ++k) {
    std::array<float, 8> v;
    for (float& x : v) {
      std::uint32_t u = any(rng);
      std::memcpy(&x, &u, sizeof x);
      if (!std::isfinite(x)) x = 0.1f;  // non-finite values have their own test
    }
    SweepPoint p;
    p.f_mhz = v[0];
    p.zin_re = v[1];
    p.zin_im = v[2];
    p.vswr = v[3];
    p.loss_db = v[4];
    p.phase_deg = v[5];
    p.delay_ns = v[6];
    p.return_loss_db = v[7];
    d.points.push_back(p);
    want.push_back(v);
  }
  const auto c = cells(write(d));
  ASSERT_EQ(c.size(), want.size() + 1);
  for (std::size_t k = 0; k < want.size(); ++k) {
    for (std::size_t j = 0; j < 8; ++j) {
      const std::string& s = c[k + 1][j];
      char* end = nullptr;
      const float back = std::strtof(s.c_str(), &end);
      ASSERT_EQ(*end, '\0') << s;
      ASSERT_EQ(bits(back), bits(want[k][j])) << s;  // sign of zero too
      ASSERT_LE(s.size(), 15u) << s;                 // shortest: never padded digits
    }
  }
}

TEST(Csv, NonFiniteValuesAreWrittenPlainly) {
  SweepData d;
  SweepPoint p;
  p.f_mhz = 10;
  p.zin_re = std::numeric_limits<float>::quiet_NaN();
  p.zin_im = -std::numeric_limits<float>::quiet_NaN();
  p.vswr = std::numeric_limits<float>::infinity();
  p.return_loss_db = -std::numeric_limits<float>::infinity();
  d.points.push_back(p);
  const auto c = cells(write(d));
  EXPECT_EQ(c[1][1], "nan");
  EXPECT_EQ(c[1][2], "nan");
  EXPECT_EQ(c[1][3], "inf");
  EXPECT_EQ(c[1][7], "-inf");
}

TEST(Csv, S21FromTheChainMatrixAndReferences) {
  SweepData d;
  SweepPoint p;
  p.f_mhz = 1;
  p.abcd = {1, 0, 50, 0, 0, 0, 1, 0};  // series 50 ohm: |S21| = 2/3 at 50 ohm
  d.points.push_back(p);
  p.abcd = {1, 0, 0, 0, 0, 0, 1, 0};  // plain connection
  d.points.push_back(p);
  p.abcd[0] = std::numeric_limits<float>::quiet_NaN();
  d.points.push_back(p);

  auto c = cells(write(d));
  EXPECT_EQ(c[1][8], "-3.521825");  // 20 log10(2/3) in float
  EXPECT_EQ(c[2][8], "0");
  EXPECT_EQ(c[3][8], "nan");

  d.info.rl = 200;  // 50 to 200 ohm: |S21| = 0.8 for the plain connection
  c = cells(write(d));
  EXPECT_EQ(std::strtof(c[2][8].c_str(), nullptr), static_cast<float>(20.0 * std::log10(0.8)));
  d.info.rs = 0;  // no S-parameters without a reference
  c = cells(write(d));
  EXPECT_EQ(c[1][8], "nan");
  EXPECT_EQ(c[2][8], "nan");
}

}  // namespace
}  // namespace mx
