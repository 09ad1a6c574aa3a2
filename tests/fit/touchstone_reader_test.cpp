// The Touchstone reader: versions 1 and 2.0, the three pair forms, every
// frequency unit, the data orders and triangles of version 2.0, and what it
// refuses (one table of cases, each with the words of its message).
#include "fit/touchstone_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "export/sweep_data.h"
#include "export/touchstone.h"

namespace mx {
namespace {

constexpr double kDeg = M_PI / 180.0;

TEST(TouchstoneReader, ReadsAVersion1FileInEachFormAndUnit) {
  struct Case {
    const char* option;
    double f_mhz;              // what "1.5" means in that unit
    std::complex<double> s21;  // what "0.5 -30" means in that form
  };
  const Case cases[] = {
      {"# GHz S MA R 50", 1500.0, std::polar(0.5, -30.0 * kDeg)},
      {"#", 1500.0, std::polar(0.5, -30.0 * kDeg)},  // the defaults: GHz S MA R 50
      {"# mhz s ri r 50", 1.5, {0.5, -30.0}},
      {"# Hz S DB R 50", 1.5e-6, std::polar(std::pow(10.0, 0.5 / 20.0), -30.0 * kDeg)},
      {"# KHZ RI", 1.5e-3, {0.5, -30.0}},
      {"#  R 50  MA   GHz  S", 1500.0, std::polar(0.5, -30.0 * kDeg)},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("! a comment\n") + c.option +
                             "\n1.5 0.1 0 0.5 -30 0.5 -30 0.1 0 ! S11 S21 S12 S22\n"
                             "3 0.2 0 0.25 10 0.25 10 0.2 0\n";
    const MeasuredTwoPort m = read_touchstone(text);
    ASSERT_EQ(m.f_mhz.size(), 2u) << c.option;
    EXPECT_DOUBLE_EQ(m.f_mhz[0], c.f_mhz) << c.option;
    EXPECT_NEAR(std::abs(m.s21[0] - c.s21), 0.0, 1e-12) << c.option;
    EXPECT_EQ(m.z1, 50.0);
    EXPECT_EQ(m.z2, 50.0);
  }
}

TEST(TouchstoneReader, StopsAtTheNoiseParametersOfAVersion1File) {
  const MeasuredTwoPort m = read_touchstone(
      "# MHz S RI R 75\n100 0 0 1 0 1 0 0 0\n200 0 0 1 0 1 0 0 0\n"
      "100 1.5 0.3 20 0.4\n150 1.6 0.3 25 0.4\n");
  ASSERT_EQ(m.f_mhz.size(), 2u);
  EXPECT_EQ(m.z1, 75.0);
}

TEST(TouchstoneReader, ReadsVersion2WithItsReferenceOrderAndTriangle) {
  const MeasuredTwoPort m = read_touchstone(
      "[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
      "[Number of Frequencies] 2\n[Reference] 50\n 75\n[Network Data]\n"
      "100 0.1 0 0.2 0 0.3 0 0.4 0\n200 0.1 0\n 0.2 0 0.3 0 0.4 0\n[End]\n");
  ASSERT_EQ(m.f_mhz.size(), 2u);
  EXPECT_EQ(m.s12[0], std::complex<double>(0.2, 0.0));  // 12_21: S12 before S21
  EXPECT_EQ(m.s21[1], std::complex<double>(0.3, 0.0));  // a row wrapped over two lines
  EXPECT_EQ(m.z1, 50.0);
  EXPECT_EQ(m.z2, 75.0);
  const MeasuredTwoPort lower = read_touchstone(
      "[Version] 2.0\n# GHz S MA\n[Number of Ports] 2\n[Two-Port Data Order] 21_12\n"
      "[Matrix Format] Lower\n[Network Data]\n1 0.1 0 0.9 -90 0.2 0\n[Noise Data]\n1 2 3 4 5\n");
  ASSERT_EQ(lower.f_mhz.size(), 1u);
  EXPECT_NEAR(std::abs(lower.s21[0] - std::complex<double>(0.0, -0.9)), 0.0, 1e-12);
  EXPECT_EQ(lower.s12[0], lower.s21[0]);
  EXPECT_EQ(lower.s22[0], std::complex<double>(0.2, 0.0));
}

// The program's own Touchstone files, both versions, read back to the values
// written (nine significant digits).
TEST(TouchstoneReader, ReadsWhatTheProgramWrites) {
  for (const float rl : {50.0f, 75.0f}) {
    SweepData d;
    d.info.rs = 50.0f;
    d.info.rl = rl;
    for (int k = 0; k <= 3; ++k) {
      SweepPoint p;
      p.f_mhz = 100.0f * static_cast<float>(k);  // 0 MHz is written, and dropped here
      p.abcd = {0.8f, 0.0f, 0.0f, 30.0f, 0.0f, 0.01f, 0.8f, 0.0f};
      d.points.push_back(p);
    }
    std::ostringstream os;
    write_touchstone(os, d);
    const MeasuredTwoPort m = read_touchstone(os.str());
    ASSERT_EQ(m.f_mhz.size(), 3u) << os.str();
    EXPECT_EQ(m.f_mhz[0], 100.0);
    EXPECT_EQ(m.z2, static_cast<double>(rl));
    EXPECT_GT(std::abs(m.s21[0]), 0.5);
  }
}

TEST(TouchstoneReader, RefusesWhatIsNotAMeasuredTwoPort) {
  const std::string row = "100 0 0 1 0 1 0 0 0\n";
  const std::string v2 = "[Version] 2.0\n# MHz S RI\n[Number of Ports] 2\n";
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"", "no frequencies"},
      {"! only a comment\n", "no frequencies"},
      {"# MHz Y RI\n" + row, "only S-parameters"},
      {"# MHz S XY\n" + row, "unknown word"},
      {"# MHz S RI R\n" + row, "R is not followed"},
      {"# MHz S RI R 0\n" + row, "not positive"},
      {"# MHz S RI\n100 0 0 1 0 1 0 0\n", "incomplete"},
      {"# MHz S RI\n100 0 0 1 x 1 0 0 0\n", "\"x\" is not a number"},
      {"# MHz S RI\n100 0 0 1 inf 1 0 0 0\n", "not finite"},
      {"# MHz S DB\n100 0 0 1e308 0 1 0 0 0\n", "not finite"},
      {"# MHz S RI\n-100 0 0 1 0 1 0 0 0\n", "negative frequency"},
      {"# MHz S RI\n0 0 0 1 0 1 0 0 0\n", "no frequencies above 0"},
      {"# MHz S RI\n[Number of Ports] 2\n" + row, "in a version 1 file"},
      {"# MHz S RI\n" + row + "\x01\n", "control characters"},
      {v2 + "[Network Data]\n" + row, "needs [Two-Port Data Order]"},
      {v2 + "[Two-Port Data Order] 21_12\n" + row, "data before [Network Data]"},
      {v2 + "[Two-Port Data Order] 21_12\n", "no [Network Data]"},
      {v2 + "[Two-Port Data Order] 13_31\n", "neither 12_21 nor 21_12"},
      {"[Version] 2.0\n[Number of Ports] 4\n", "not a two-port"},
      {"[Version] 1.1\n", "only version 2.0"},
      {v2 + "[Two-Port Data Order] 21_12\n[Number of Frequencies] 3\n[Network Data]\n" + row,
       "says 3, the file holds 1"},
      {v2 + "[Two-Port Data Order] 21_12\n[Reference] 50\n[Network Data]\n" + row,
       "one resistance for each"},
      {v2 + "[Two-Port Data Order] 21_12\n[Network Data]\n" + row + row, "do not rise"},
      {v2 + "[Two-Port Data Order] 21_12\n[Mixed-Mode Order] D2,1 C2,1\n", "mixed-mode"},
      {v2 + "[Two-Port Data Order] 21_12\n[Frobnicate]\n", "unknown keyword"},
      {v2 + "[Two-Port Data Order 21_12\n", "closing bracket"},
  };
  for (const Case& c : cases) {
    try {
      read_touchstone(c.text);
      ADD_FAILURE() << "read: " << c.text;
    } catch (const TouchstoneError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.text << " -> " << e.what();
    }
  }
}

TEST(TouchstoneReader, NamesTheLineOfTheFault) {
  try {
    read_touchstone("# MHz S RI\n100 0 0 1 0 1 0 0 0\n\n200 0 0 1 0 1 zz 0 0\n");
    ADD_FAILURE();
  } catch (const TouchstoneError& e) {
    EXPECT_EQ(e.line, 4);
    EXPECT_EQ(std::string(e.what()).rfind("line 4: ", 0), 0u);
  }
}

TEST(TouchstoneReader, RefusesAFileItCannotOpen) {
  EXPECT_THROW(read_touchstone_file("/nonexistent/measured.s2p"), TouchstoneError);
  EXPECT_THROW(read_touchstone_file("/"), TouchstoneError);
}

}  // namespace
}  // namespace mx
