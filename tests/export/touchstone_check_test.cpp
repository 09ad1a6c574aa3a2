// The Touchstone export read by an independent reader: check_touchstone.py
// (scikit-rf for version 1 files, its own reader for version 2.0) compares
// the file with loss and VSWR worked out here by walking the ladder from the
// load, not through the chain matrix.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <sstream>
#include <string>

#include "export/csv.h"
#include "export/number_text.h"
#include "export/touchstone.h"
#include "ladder_abcd.h"

#ifndef MANDRELIX_SOURCE_DIR
#error "MANDRELIX_SOURCE_DIR must name the source folder"
#endif

namespace mx {
namespace {

namespace fs = std::filesystem;
using test::Cx;

const char* const kPython = "/usr/bin/python3";
const std::string kScript = MANDRELIX_SOURCE_DIR "/tests/export/check_touchstone.py";

// Loss and VSWR as the report gives them, from the voltage and current at the
// input of the ladder when the load carries 1 V (values in ladder order from
// the source, standard configuration: shunt C first).
void expected_figures(const std::vector<double>& values, double f_mhz, double rs, double rl,
                      SweepPoint& p) {
  const double w = 2.0 * std::numbers::pi * f_mhz * 1.0e6;
  Cx v = 1.0, i = 1.0 / rl;
  for (std::size_t k = values.size(); k-- > 0;) {
    if (k % 2 == 0) {
      i += Cx(0.0, w * values[k] * 1.0e-12) * v;  // shunt C
    } else {
      v += Cx(0.0, w * values[k] * 1.0e-9) * i;  // series L
    }
  }
  const Cx source_emf = v + rs * i;
  // Power in the load over the power available from the source.
  const double gain = (1.0 / rl) / (std::norm(source_emf) / (4.0 * rs));
  p.loss_db = static_cast<float>(10.0 * std::log10(std::max(gain, 1.0e-30)));
  const Cx zin = v / i;
  const double refl = std::min(std::abs((zin - rs) / (zin + rs)), 0.9995);
  p.vswr = static_cast<float>(std::min((1.0 + refl) / (1.0 - refl), 999.99));
}

class TouchstoneCheck : public testing::Test {
 protected:
  void SetUp() override {
    if (access(kPython, X_OK) != 0) GTEST_SKIP() << kPython << " is not installed";
    dir_ =
        fs::temp_directory_path() / ("mx_export_" + std::to_string(getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }

  SweepData sweep(float rs, float rl) const {
    SweepData d = test::chebyshev7_sweep(rs, rl, 300, 10.0f);
    for (SweepPoint& p : d.points)
      expected_figures(test::kChebyshev7, static_cast<double>(p.f_mhz), static_cast<double>(rs),
                       static_cast<double>(rl), p);
    // Rows the Touchstone writer drops and the CSV keeps.
    d.points[41].f_mhz = d.points[40].f_mhz;
    d.points[42].abcd[0] = std::nanf("");
    d.points[42].loss_db = std::nanf("");
    return d;
  }

  // Writes the two files, runs the script, returns its exit status; out gets
  // what it printed.
  int check(const SweepData& d, const std::string& tolerances, std::string& out,
            const std::string& edit_from = "", const std::string& edit_to = "") {
    std::ostringstream ts;
    write_touchstone(ts, d);
    std::string text = ts.str();
    if (!edit_from.empty()) {
      const std::size_t at = text.find(edit_from);
      EXPECT_NE(at, std::string::npos) << edit_from;
      if (at != std::string::npos) text.replace(at, edit_from.size(), edit_to);
    }
    const fs::path touchstone = dir_ / "filter.s2p", csv = dir_ / "expected.csv",
                   log = dir_ / "out.txt";
    std::ofstream(touchstone, std::ios::binary) << text;
    std::ofstream csv_file(csv, std::ios::binary);
    write_csv(csv_file, d);
    csv_file.close();
    const std::string cmd = std::string(kPython) + " '" + kScript + "' '" + touchstone.string() +
                            "' '" + csv.string() + "' " + tolerances + " > '" + log.string() +
                            "' 2>&1";
    const int status = std::system(cmd.c_str());
    std::ifstream in(log);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
};

// Loss to 0.001 dB; VSWR to 0.02: near the report's 999.99 limit a float
// chain matrix moves VSWR by up to 0.01 (dVSWR/d|S11| = 2 / (1 - |S11|)^2).
const std::string kTolerances = "0.001 --vswr-tolerance 0.02";

TEST_F(TouchstoneCheck, Version1FileReadByScikitRf) {
  std::string out;
  const int rc = check(sweep(50, 50), kTolerances + " --references 50 50", out);
  if (rc == 3) GTEST_SKIP() << "scikit-rf missing: " << out;
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("with scikit-rf"), std::string::npos) << out;
  EXPECT_NE(out.find("compared 298 frequencies"), std::string::npos) << out;
}

TEST_F(TouchstoneCheck, Version2FileWithTwoReferences) {
  std::string out;
  const int rc = check(sweep(50, 75), kTolerances + " --references 50 75", out);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("references [50.0, 75.0]"), std::string::npos) << out;
  EXPECT_NE(out.find("compared 298 frequencies"), std::string::npos) << out;
}

TEST_F(TouchstoneCheck, MismatchesAreCaught) {
  std::string out;
  SweepData d = sweep(50, 75);
  d.points[100].loss_db += 0.01f;
  EXPECT_EQ(check(d, kTolerances, out), 1) << out;
  EXPECT_EQ(out.find("MHz: VSWR"), std::string::npos) << out;  // the loss alone is off
  EXPECT_NE(out.find("MISMATCH: f = 1010.0 MHz: loss"), std::string::npos) << out;

  // A file referred to the wrong resistance.
  d = sweep(50, 75);
  EXPECT_EQ(
      check(d, kTolerances + " --references 50 75", out, "[Reference] 50 75", "[Reference] 50 50"),
      1)
      << out;
  EXPECT_NE(out.find("MISMATCH: the file is referred to [50.0, 50.0] ohm"), std::string::npos)
      << out;

  // The script's own reader holds the file to the keyword order.
  EXPECT_EQ(check(d, kTolerances, out, "[Number of Ports] 2\n[Two-Port Data Order] 21_12",
                  "[Two-Port Data Order] 21_12\n[Number of Ports] 2"),
            2)
      << out;
  EXPECT_NE(out.find("before [Number of Ports]"), std::string::npos) << out;
  EXPECT_EQ(
      check(d, kTolerances, out, "[Number of Frequencies] 298", "[Number of Frequencies] 297"), 2)
      << out;
}

}  // namespace
}  // namespace mx

namespace mx {
namespace {

const std::string kReferenceScript = MANDRELIX_SOURCE_DIR "/tests/export/check_reference.py";

// The file referred to one impedance against scikit-rf's renormalisation of
// the file referred to Rs and Rl: one version 1 pair (Rs = Rl, the source
// line's own impedance), one version 2.0 default file, and a file referred
// to the wrong impedance, which must be caught. |dS| to 1e-7: both files
// hold 9 significant digits, and the renormalisation through the impedance
// matrix spreads that rounding to a few times 1e-8 in the stopband.
TEST_F(TouchstoneCheck, ReferredFileIsTheDefaultRenormalisedByScikitRf) {
  const struct {
    float rs, rl;
    double z, claimed;
    int status;
  } cases[] = {{49.99276f, 49.99276f, 50.0, 50.0, 0},
               {50.0f, 75.0f, 50.0, 50.0, 0},
               {50.0f, 75.0f, 100.0, 100.0, 0},
               {50.0f, 50.0f, 50.5, 50.0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Rs " << c.rs << ", Rl " << c.rl << ", Z " << c.z);
    SweepData d = test::chebyshev7_sweep(c.rs, c.rl, 300, 10.0f);
    const fs::path plain = dir_ / "plain.s2p", referred = dir_ / "referred.s2p",
                   log = dir_ / "out.txt";
    std::ofstream(plain, std::ios::binary) << [&] {
      std::ostringstream os;
      write_touchstone(os, d);
      return os.str();
    }();
    d.info.reference_ohm = c.z;
    std::ostringstream os;
    write_touchstone(os, d);
    std::string text = os.str();
    if (c.claimed != c.z) {  // the data of Z under the header of another impedance
      const std::string from = "R " + double_text9(c.z), to = "R " + double_text9(c.claimed);
      const std::size_t at = text.find("# MHz S RI " + from);
      ASSERT_NE(at, std::string::npos) << text.substr(0, 400);
      text.replace(at + 11, from.size(), to);
    }
    EXPECT_NE(text.find("# MHz S RI R " + double_text9(c.claimed) + "\n"), std::string::npos);
    EXPECT_EQ(text.find("[Version]"), std::string::npos);
    std::ofstream(referred, std::ios::binary) << text;
    const std::string cmd = std::string(kPython) + " '" + kReferenceScript + "' '" +
                            plain.string() + "' '" + referred.string() + "' " +
                            double_text9(c.claimed) + " 1e-7 > '" + log.string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    std::ifstream in(log);
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (rc == 3) GTEST_SKIP() << "scikit-rf missing: " << out;
    EXPECT_EQ(rc, c.status) << out;
    EXPECT_NE(out.find("compared 300 frequencies"), std::string::npos) << out;
    std::cout << out;
  }
}

}  // namespace
}  // namespace mx
