// Whole runs with --fit: the dialog prints exactly what it prints without
// it; the report, the fitted circuit and the overlay are written and named;
// the built part's length errors come back from its S-parameters and its
// fitted circuit file reads back into an analysis; and a measurement the fit
// cannot use is one line on the error stream, status 2, no report.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "session.h"

namespace mxtest {
namespace {

// The analysis of a coaxial circuit file from 10 to 3000 MHz by 10 MHz.
std::string analysis_of(const std::string& file) {
  return "1\n2\n2\n" + file + "\n\n\n\n10\n3000\n10\n\n3\n";
}

// The shipped sample with the README's errors: +4, -3, +2, -4 mil in
// sections 2, 3, 5, 6.
void write_built_circuit(const fs::path& dir) {
  std::string text = read_file(dir / "coax7.cxf");
  auto replace = [&](const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("1.533        LENGTH 2", "1.537        LENGTH 2");
  replace("0.325        LENGTH 3", "0.322        LENGTH 3");
  replace("0.325        LENGTH 5", "0.327        LENGTH 5");
  replace("1.533        LENGTH 6", "1.529        LENGTH 6");
  std::ofstream(dir / "built7.cxf", std::ios::binary) << text;
}

// The built part "measured": the program's own Touchstone file of it.
fs::path measure_built(const TempDir& dir) {
  write_built_circuit(dir.path());
  mx::RunOptions options;
  options.touchstone = dir / "built7.s2p";
  const SessionResult r = run_session(analysis_of("built7.cxf"), dir.path(), options);
  EXPECT_EQ(r.status, 0) << r.err;
  return dir / "built7.s2p";
}

TEST(FitRun, FindsTheBuiltErrorsAndLeavesTheDialogAsItIs) {
  TempDir dir;
  install_shipped_files(dir.path());
  const fs::path measured = measure_built(dir);
  const SessionResult plain = run_session(analysis_of("coax7.cxf"), dir.path());
  mx::RunOptions options;
  options.fit = measured;
  options.fit_report = dir / "fit.json";
  options.plot = dir / "resp.svg";
  const SessionResult r = run_session(analysis_of("coax7.cxf"), dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, plain.out);
  EXPECT_NE(r.err.find("mandrelix: wrote fit report " + (dir / "fit.json").string() + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("mandrelix: wrote fitted circuit " + (dir / "fit.cxf").string() + "\n"),
            std::string::npos);
  EXPECT_NE(r.err.find("mandrelix: wrote fit plot " + (dir / "resp-fit.svg").string() + "\n"),
            std::string::npos);
  const std::string json = read_file(dir / "fit.json");
  for (const char* key : {"\"dimensions\": [", "\"residual_rms_db\": {",
                          "\"step_capacitance_scale\": ", "\"corrections\": [",
                          "\"predicted_cutoff_3db_mhz\": ", "\"outside_tolerance\": true"})
    EXPECT_NE(json.find(key), std::string::npos) << key;
  EXPECT_NE(json.find("{\"name\": \"L2\", \"nominal_in\": 1.533000, \"fitted_in\": 1.537000"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"name\": \"L6\", \"nominal_in\": 1.533000, \"fitted_in\": 1.529000"),
            std::string::npos);
  const std::string svg = read_file(dir / "resp-fit.svg");
  for (const char* cls : {"class=\"measured\"", "class=\"nominal\"", "class=\"fitted\""})
    EXPECT_NE(svg.find(cls), std::string::npos) << cls;
  // The fitted circuit is the built one: its analysis prints the same rows.
  const SessionResult fitted = run_session(analysis_of("fit.cxf"), dir.path());
  const SessionResult built = run_session(analysis_of("built7.cxf"), dir.path());
  ASSERT_EQ(fitted.status, 0) << fitted.out;
  EXPECT_EQ(report_tables(fitted.out)[0].size(), 300u);
  for (std::size_t k = 0; k < 300; ++k)
    EXPECT_EQ(report_tables(fitted.out)[0][k].text, report_tables(built.out)[0][k].text) << k;
}

TEST(FitRun, TheTextReportNamesWhatToMachine) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.fit = measure_built(dir);
  options.fit_report = dir / "fit.txt";
  const SessionResult r = run_session(analysis_of("coax7.cxf"), dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = read_file(dir / "fit.txt");
  EXPECT_EQ(text.rfind("Fit of the entered coaxial circuit to ", 0), 0u) << text;
  EXPECT_NE(text.find("  L3            0.32500    0.32200   -0.00300    -3.00"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Corrections (a lathe only removes metal)"), std::string::npos);
  EXPECT_NE(text.find("a disc cannot be lengthened"), std::string::npos);
}

// Referred to the part as designed "measured" alike, the errors are the same.
TEST(FitRun, AReferenceIsFittedTooAndTheDifferenceReported) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions nominal;
  nominal.touchstone = dir / "nominal.s2p";
  ASSERT_EQ(run_session(analysis_of("coax7.cxf"), dir.path(), nominal).status, 0);
  mx::RunOptions options;
  options.fit = measure_built(dir);
  options.fit_reference = dir / "nominal.s2p";
  options.fit_report = dir / "fit.json";
  const SessionResult r = run_session(analysis_of("coax7.cxf"), dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string json = read_file(dir / "fit.json");
  EXPECT_NE(json.find("\"reference_file\": \"" + (dir / "nominal.s2p").string() + "\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"name\": \"L3\", \"nominal_in\": 0.325000, \"fitted_in\": 0.322000"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"reference_fit_in\": 0.325000"), std::string::npos);
  // An unreadable reference is said like an unreadable measurement.
  options.fit_reference = dir / "none.s2p";
  const SessionResult bad = run_session(analysis_of("coax7.cxf"), dir.path(), options);
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "mandrelix: cannot read the measured two-port \"" +
                         (dir / "none.s2p").string() + "\": it cannot be opened\n");
}

// A lumped analysis has no dimensions to fit: nothing is written.
TEST(FitRun, ALumpedAnalysisIsNotFitted) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.fit = measure_built(dir);
  options.fit_report = dir / "fit.txt";
  const SessionResult r =
      run_session("1\n1\n2\nlumped7.lef\n50\n0\n50\n0\n10\n3000\n10\n0\n3\n", dir.path(), options);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir / "fit.txt"));
}

TEST(FitRun, AMeasurementItCannotUseIsOneLineAndStatus2) {
  TempDir dir;
  install_shipped_files(dir.path());
  const SessionResult plain = run_session(analysis_of("coax7.cxf"), dir.path());
  std::ofstream(dir / "bad.s2p") << "# MHz S RI R 50\n100 0 0 1 0 1 0 zz 0\n";
  std::ofstream(dir / "few.s2p") << "# MHz S RI R 50\n100 0 0 1 0 1 0 0 0\n200 0 0 1 0 1 0 0 0\n";
  std::ofstream(dir / "high.s2p") << "# GHz S RI R 50\n"
                                  << [] {
                                       std::string rows;
                                       for (int k = 0; k < 40; ++k)
                                         rows += std::to_string(5 + k) + " 0 0 0.01 0 0.01 0 1 0\n";
                                       return rows;
                                     }();
  struct Case {
    const char* file;
    const char* line;
  };
  const Case cases[] = {
      {"missing.s2p", "cannot read the measured two-port \"%\": it cannot be opened\n"},
      {"bad.s2p", "cannot read the measured two-port \"%\": line 2: \"zz\" is not a number\n"},
      {"few.s2p", "fit 1 of \"%\" not made: the measurement has 2 frequencies, fewer than twice"},
      {"high.s2p", "fit 1 of \"%\" not made: the measurement covers none of the filter's band"},
  };
  for (const Case& c : cases) {
    mx::RunOptions options;
    options.fit = dir / c.file;
    options.fit_report = dir / "fit.txt";
    const SessionResult r = run_session(analysis_of("coax7.cxf"), dir.path(), options);
    EXPECT_EQ(r.status, 2) << c.file;
    EXPECT_EQ(r.out, plain.out) << c.file;
    std::string line = std::string("mandrelix: ") + c.line;
    line.replace(line.find('%'), 1, (dir / c.file).string());
    EXPECT_EQ(r.err.rfind(line, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(dir / "fit.txt")) << c.file;
  }
}

}  // namespace
}  // namespace mxtest
