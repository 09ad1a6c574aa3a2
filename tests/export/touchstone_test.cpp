#include "export/touchstone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "export/s_parameters.h"
#include "ladder_abcd.h"

namespace mx {
namespace {

struct Parsed {
  std::vector<std::string> comments;      // text after '!' of the comment lines
  std::vector<std::string> lines;         // the other lines, in order
  std::vector<std::vector<double>> rows;  // lines that start with a number
};

Parsed parse(const std::string& text) {
  Parsed p;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    EXPECT_EQ(line.find('\r'), std::string::npos);
    if (!line.empty() && line[0] == '!') {
      p.comments.push_back(line.substr(1));
      continue;
    }
    p.lines.push_back(line);
    if (line.empty() || line[0] == '#' || line[0] == '[') continue;
    std::istringstream fields(line);
    std::vector<double> row;
    std::string f;
    while (fields >> f) {
      char* end = nullptr;
      row.push_back(std::strtod(f.c_str(), &end));
      EXPECT_EQ(*end, '\0') << "not a number: " << f;
    }
    p.rows.push_back(row);
  }
  return p;
}

std::string write(const SweepData& d) {
  std::ostringstream os;
  write_touchstone(os, d);
  return os.str();
}

SweepData ladder_sweep(float rs, float rl) { return test::chebyshev7_sweep(rs, rl, 20, 100.0f); }

int count_containing(const std::vector<std::string>& v, const std::string& s) {
  int n = 0;
  for (const auto& x : v) n += x.find(s) != std::string::npos;
  return n;
}

TEST(Touchstone, EqualReferencesGiveVersion1) {
  const Parsed p = parse(write(ladder_sweep(50, 50)));
  ASSERT_FALSE(p.lines.empty());
  EXPECT_EQ(p.lines[0], "# MHz S RI R 50");
  EXPECT_EQ(count_containing(p.lines, "["), 0);  // no keywords at all
  ASSERT_EQ(p.rows.size(), 20u);
  for (const auto& r : p.rows) EXPECT_EQ(r.size(), 9u);
  EXPECT_EQ(count_containing(p.comments, "Mandrelix 1.1"), 1);
  EXPECT_EQ(
      count_containing(
          p.comments, "Lumped LC ladder low-pass filter, N = 7, Chebyshev, standard configuration"),
      1);
  EXPECT_EQ(count_containing(p.comments, "dropped"), 0);
}

TEST(Touchstone, UnequalReferencesGiveVersion2WithKeywordsInOrder) {
  const SweepData d = ladder_sweep(50, 75.5f);
  const Parsed p = parse(write(d));
  const std::vector<std::string> head{"[Version] 2.0",
                                      "# MHz S RI R 50",
                                      "[Number of Ports] 2",
                                      "[Two-Port Data Order] 21_12",
                                      "[Number of Frequencies] 20",
                                      "[Reference] 50 75.5",
                                      "[Network Data]"};
  ASSERT_GE(p.lines.size(), head.size() + 1);
  for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(p.lines[i], head[i]);
  EXPECT_EQ(p.lines.back(), "[End]");
  EXPECT_EQ(p.lines.size(), head.size() + 20 + 1);  // keywords, rows, [End]
  ASSERT_EQ(p.rows.size(), 20u);

  // The rows hold S11 S21 S12 S22 for the two references, to 9 digits.
  for (std::size_t k = 0; k < p.rows.size(); ++k) {
    const auto& r = p.rows[k];
    EXPECT_EQ(r[0], static_cast<double>(d.points[k].f_mhz));
    const SParameters s = abcd_to_s(d.points[k].abcd, 50.0, 75.5);
    const std::complex<double> want[4] = {s.s11, s.s21, s.s12, s.s22};
    for (int j = 0; j < 4; ++j) {
      EXPECT_NEAR(r[1 + 2 * j], want[j].real(), 1e-8 * (1.0 + std::abs(want[j])));
      EXPECT_NEAR(r[2 + 2 * j], want[j].imag(), 1e-8 * (1.0 + std::abs(want[j])));
    }
  }
}

TEST(Touchstone, DroppedRowsAreCountedByReason) {
  SweepData d = ladder_sweep(50, 50);
  auto& pts = d.points;  // 100 .. 2000 MHz
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  pts[3].f_mhz = nan;
  pts[4].f_mhz = -inf;
  pts[5].f_mhz = -1.0f;
  pts[7].f_mhz = pts[6].f_mhz;  // repeated
  pts[9].f_mhz = 50.0f;         // falling
  pts[11].abcd[2] = inf;        // S-parameters not finite
  pts[12].abcd[0] = nan;
  pts[13].abcd = {1, 0, -100, 0, 0, 0, 1, 0};  // denominator zero at 50 ohm
  // Only rows kept set the bar for the next: 1250 MHz is below the dropped
  // 1400 MHz row but above the last row kept (1100 MHz).
  pts[14].f_mhz = 1250.0f;
  const Parsed p = parse(write(d));

  EXPECT_EQ(
      count_containing(p.comments, "3 rows dropped: frequency negative or not a finite number"), 1);
  EXPECT_EQ(count_containing(p.comments, "2 rows dropped: frequency not above the row before"), 1);
  EXPECT_EQ(count_containing(p.comments, "3 rows dropped: S-parameters not finite"), 1);
  EXPECT_EQ(p.rows.size(), 20u - 8u);
  for (std::size_t k = 1; k < p.rows.size(); ++k) EXPECT_LT(p.rows[k - 1][0], p.rows[k][0]);
  for (const auto& r : p.rows)
    for (double v : r) EXPECT_TRUE(std::isfinite(v));

  // The same drops in a version 2.0 file: the frequency count is of rows kept.
  d.info.rl = 100;
  const Parsed p2 = parse(write(d));
  EXPECT_EQ(count_containing(p2.lines, "[Number of Frequencies] 12"), 1);
  EXPECT_EQ(p2.rows.size(), 12u);
}

TEST(Touchstone, ZeroFrequencyIsKeptAndWrittenPlain) {
  SweepData d = ladder_sweep(50, 50);
  d.points.resize(3);
  d.points[0].f_mhz = -0.0f;
  d.points[0].abcd = {1, 0, 0, 0, 0, 0, 1, 0};  // the ladder at DC
  d.points[1].f_mhz = 0.0f;                     // +0 is not above -0: dropped
  d.points[2].f_mhz = 1.0e-3f;
  const Parsed p = parse(write(d));
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(p.lines[1].substr(0, 2), "0 ");
  EXPECT_EQ(count_containing(p.comments, "1 row dropped: frequency not above"), 1);
}

TEST(Touchstone, FrequenciesReadBackToTheSameFloat) {
  SweepData d = ladder_sweep(50, 50);
  d.points.clear();
  // Steps of one float apart stay distinct and rising in the text.
  float f = 1234.5677f;
  for (int k = 0; k < 50; ++k) {
    SweepPoint p;
    p.f_mhz = f;
    d.points.push_back(p);
    f = std::nextafter(f, 1.0e9f);
  }
  const Parsed p = parse(write(d));
  ASSERT_EQ(p.rows.size(), 50u);
  for (std::size_t k = 0; k < 50; ++k)
    EXPECT_EQ(static_cast<float>(p.rows[k][0]), d.points[k].f_mhz);
}

TEST(Touchstone, ReactiveTerminationsAreNoted) {
  SweepData d = ladder_sweep(50, 50);
  EXPECT_EQ(count_containing(parse(write(d)).comments, "reactive parts"), 0);
  d.info.xl = -12.5f;
  const Parsed p = parse(write(d));
  EXPECT_EQ(count_containing(p.comments, "reactive parts"), 1);
  EXPECT_EQ(count_containing(p.comments, "load 50 - j12.5 ohm"), 1);
  EXPECT_EQ(p.lines[0], "# MHz S RI R 50");  // the reference is Rl, still equal to Rs
}

TEST(Touchstone, UnusableReferencesGiveNoRows) {
  for (float bad : {0.0f, -50.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity()}) {
    const Parsed p = parse(write(ladder_sweep(50, bad)));
    EXPECT_TRUE(p.rows.empty());
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0], "# MHz S RI R 50");
    EXPECT_EQ(count_containing(p.comments, "No S-parameters"), 1);
  }
}

TEST(Touchstone, CommentTextStaysOnCommentLines) {
  SweepData d = ladder_sweep(50, 50);
  d.info.program_version = "Mandrelix\n# GHz Y MA R 1\r\n[Version] 2.0";
  d.info.response = "Cheb\nyshev";
  d.info.configuration = "dual\xff";
  const Parsed p = parse(write(d));
  EXPECT_EQ(p.lines[0], "# MHz S RI R 50");
  for (const auto& c : p.comments)
    for (char ch : c) EXPECT_TRUE(ch >= 0x20 && ch < 0x7f) << c;
}

TEST(Touchstone, CoaxialCircuitAndSynthesisFiguresInComments) {
  SweepData d = ladder_sweep(50, 50);
  d.info.coaxial = true;
  d.info.configuration.clear();
  d.info.cutoff_mhz = 1000;
  d.info.ripple_db = 0.1f;
  const Parsed p = parse(write(d));
  EXPECT_EQ(
      count_containing(p.comments, "Coaxial stepped-impedance low-pass filter, N = 7, Chebyshev"),
      1);
  EXPECT_EQ(count_containing(p.comments, "configuration"), 0);
  EXPECT_EQ(count_containing(p.comments, "Cutoff 1000 MHz, passband ripple 0.1 dB"), 1);
}

TEST(Touchstone, EmptySweep) {
  SweepData d = ladder_sweep(50, 60);
  d.points.clear();
  const Parsed p = parse(write(d));
  EXPECT_EQ(count_containing(p.lines, "[Number of Frequencies] 0"), 1);
  EXPECT_EQ(count_containing(p.comments, "No rows"), 1);
  EXPECT_TRUE(p.rows.empty());
}

}  // namespace
}  // namespace mx
