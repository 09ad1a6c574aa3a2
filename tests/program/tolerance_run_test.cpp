// The tolerance study from the command line: bad values end the run before
// the dialog, and a run with a study prints exactly what it prints without
// one while the study's files are written and named on the error stream.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "session.h"

namespace mxtest {
namespace {

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Parsed {
  mx::CommandLine cl;
  std::string out, err;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "mandrelix");
  std::ostringstream out, err;
  Parsed p{mx::parse_command_line(static_cast<int>(args.size()), args.data(), out, err), "", ""};
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(ToleranceOptions, BadValuesAreOneLineAndStatus2) {
  const std::vector<std::vector<const char*>> bad = {
      {"--tolerance", "y.csv"},                              // neither .txt nor .json
      {"--tolerance", "y.txt", "--trials", "0"},             // zero trials
      {"--tolerance", "y.txt", "--trials", "-5"},            // negative trials
      {"--tolerance", "y.txt", "--trials", "many"},          // not a number
      {"--trials", "100"},                                   // no study to run
      {"--tolerance", "y.txt", "--random-state", "-1"},      // not a whole number >= 0
      {"--tolerance", "y.txt", "--component-tol", "-1"},     // negative tolerance
      {"--tolerance", "y.txt", "--component-tol", "100"},    // all of the value
      {"--tolerance", "y.txt", "--distribution", "cauchy"},  // no such distribution
      {"--tolerance", "y.txt", "--pass-mhz", "900"},         // a mask frequency without its loss
      {"--tolerance", "y.txt", "--pass-db", "0.5"},          // a mask loss without its frequency
      {"--tolerance", "y.txt", "--pass-mhz", "0", "--pass-db", "1"},  // not above zero
      {"--tolerance", "y.txt", "--pass-mhz", "900", "--pass-db", "inf"},
      {"--tolerance", "y.txt", "--stop-mhz", "1500", "--stop-db", "30"},  // a stopband alone
      {"--tolerance", "y.txt", "--pass-mhz", "900", "--pass-db", "0.5", "--stop-mhz", "800",
       "--stop-db", "30"},  // a stopband inside the passband
  };
  for (const auto& args : bad) {
    std::string shown;
    for (const char* a : args) (shown += ' ') += a;
    SCOPED_TRACE("mandrelix" + shown);
    const Parsed p = parse(args);
    EXPECT_TRUE(p.cl.exit_now);
    EXPECT_EQ(p.cl.exit_status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err.find('\n'), p.err.size() - 1) << p.err;
    EXPECT_EQ(p.err.rfind("mandrelix: ", 0), 0u) << p.err;
  }
  const Parsed good = parse({"--tolerance", "Y.JSON", "--trials", "20", "--random-state", "7",
                             "--component-tol", "2.5", "--distribution", "normal", "--pass-mhz",
                             "900", "--pass-db", "0.5", "--stop-mhz", "1500", "--stop-db", "30"});
  ASSERT_FALSE(good.cl.exit_now) << good.err;
  const mx::RunOptions& o = good.cl.options;
  EXPECT_EQ(*o.tolerance, fs::path("Y.JSON"));
  EXPECT_EQ(*o.trials, 20);
  EXPECT_EQ(*o.random_state, 7u);
  EXPECT_EQ(*o.component_tol_pct, 2.5f);
  EXPECT_TRUE(o.normal_errors);
  EXPECT_EQ(*o.stop_db, 30.0f);
}

// The worked example synthesized, then analysed from 10 to 3000 MHz.
const char* kSynthesisThenAnalysis =
    "\n2\n1\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n1\n\n\n\n10\n3000\n10\n\n3\n";

TEST(ToleranceRun, DialogUnchangedAndEveryStudyWrittenAndNamed) {
  TempDir plain, asked;
  install_shipped_files(plain.path());
  install_shipped_files(asked.path());
  const SessionResult without = run_session(kSynthesisThenAnalysis, plain.path());
  ASSERT_EQ(without.status, 0) << without.err;
  mx::RunOptions options;
  options.tolerance = asked / "yield.json";
  options.plot = asked / "resp.svg";
  options.trials = 50;
  const SessionResult r = run_session(kSynthesisThenAnalysis, asked.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, without.out);
  const std::string named = "mandrelix: wrote tolerance study " + (asked / "yield.json").string() +
                            "\nmandrelix: wrote tolerance envelope " +
                            (asked / "resp-envelope.svg").string() + "\n";
  EXPECT_EQ(r.err.rfind(named, 0), 0u) << r.err;  // the synthesis's study, before the analysis's
  EXPECT_NE(r.err.find("wrote tolerance study " + (asked / "yield-2.json").string()),
            std::string::npos);
  EXPECT_NE(r.err.find("wrote tolerance envelope " + (asked / "resp-envelope-2.svg").string()),
            std::string::npos);
  const std::string json = read_text(asked / "yield.json");
  EXPECT_NE(json.find("\"circuit\": \"synthesized coaxial filter\""), std::string::npos);
  EXPECT_NE(json.find("\"trials\": 50,"), std::string::npos);
  EXPECT_NE(json.find("\"frequencies\": 301,"), std::string::npos);
  EXPECT_NE(json.find("\"mask\": {\"pass_mhz\": 1000.0000, \"pass_db\": 0.1000}"),
            std::string::npos);
  EXPECT_NE(read_text(asked / "yield-2.json").find("\"frequencies\": 300,"), std::string::npos);
  const std::string svg = read_text(asked / "resp-envelope-2.svg");
  EXPECT_NE(svg.find("<polygon class=\"envelope\""), std::string::npos);
  EXPECT_NE(svg.find("<polyline class=\"nominal\""), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(ToleranceRun, EnteredCircuitWithoutAMaskHasNoYieldAndSaysSo) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.tolerance = dir / "entered.txt";
  options.trials = 20;
  // The shipped coaxial circuit file, 500 to 1500 MHz by 250 MHz.
  const SessionResult r =
      run_session("1\n2\n2\ncoax7.cxf\n\n\n\n500\n1500\n250\n\n3\n", dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("mandrelix: tolerance study 1: no mask"), std::string::npos) << r.err;
  const std::string text = read_text(dir / "entered.txt");
  EXPECT_NE(text.find("Tolerance study of the entered coaxial circuit"), std::string::npos);
  EXPECT_NE(text.find("Yield -"), std::string::npos) << text;
  EXPECT_NE(text.find("  D1 "), std::string::npos) << text;  // every diameter has a sensitivity
}

}  // namespace
}  // namespace mxtest
