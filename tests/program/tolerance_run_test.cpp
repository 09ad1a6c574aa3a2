// Whole runs with a tolerance study: the run prints exactly what it prints
// without one while the study's files are written and named on the error
// stream. (Its option errors are in command_line_test.cpp.)
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
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

// The worked example's synthesis alone, then the end of the run.
const char* kSynthesis = "\n2\n1\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n3\n";

mx::RunOptions allocation_options(const TempDir& dir) {
  mx::RunOptions o;
  o.tolerance = dir / "y.txt";
  o.allocate_tolerances = dir / "alloc.json";
  o.trials = 300;
  o.pass_mhz = 1000.0f;
  o.pass_db = 0.2f;
  o.stop_mhz = 1500.0f;
  o.stop_db = 25.0f;
  return o;
}

TEST(ToleranceRun, AllocationWrittenAndReadBackIntoAStudyAndTheDrawing) {
  TempDir dir;
  install_shipped_files(dir.path());
  const SessionResult plain = run_session(kSynthesis, dir.path());
  const SessionResult r = run_session(kSynthesis, dir.path(), allocation_options(dir));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, plain.out);
  EXPECT_NE(r.err.find("mandrelix: wrote tolerance allocation " + (dir / "alloc.json").string()),
            std::string::npos)
      << r.err;
  const std::string json = read_text(dir / "alloc.json");
  EXPECT_NE(json.find("\"dimension\": \"D low\", \"tolerance_in\": "), std::string::npos) << json;
  // Read back: the study names its own tolerances, the cut list gives them.
  mx::RunOptions back;
  back.tolerance = dir / "back.txt";
  back.drawing = dir / "filter.svg";
  back.random_state = 7;
  back.own_tolerances = {{"D low", 0.0003, false}, {"L9", 0.001, false}};
  const SessionResult b = run_session(kSynthesis, dir.path(), back);
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_NE(b.err.find("mandrelix: tolerance study 1: this filter has no L9 (--tolerances)"),
            std::string::npos)
      << b.err;
  EXPECT_NE(read_text(dir / "back.txt").find("own tolerances, +/- D low 0.000300 inch, L9"),
            std::string::npos);
  EXPECT_NE(read_text(dir / "filter.svg").find("[11.430] \u00b10.0003"), std::string::npos);
}

TEST(ToleranceRun, AllocationThatCannotBeMadeIsOneLineStatus2AndNoFile) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions o = allocation_options(dir);
  o.pass_db.reset();  // the design's own 0.1 dB, which the nominal filter misses
  o.pass_mhz.reset();
  o.stop_mhz.reset();
  o.stop_db.reset();
  const SessionResult r = run_session(kSynthesis, dir.path(), o);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("mandrelix: tolerance allocation 1: not written: the nominal filter does "
                       "not meet the mask: worst passband loss 0.1629 dB, conductor losses "
                       "included, against Am 0.1000 dB\n"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(dir / "alloc.json"));
  EXPECT_NE(read_text(dir / "y.txt").find("the nominal filter does not meet the mask: worst"),
            std::string::npos);
}

}  // namespace
}  // namespace mxtest

namespace mxtest {
namespace {

// Every transcript again with a study and its envelope: the console text and
// the status are those of the transcript, and the error stream holds the
// transcript's own lines and the study's alone.
TEST(ToleranceRun, EveryTranscriptPrintsTheSameWithAStudy) {
  const fs::path all = fs::path(MANDRELIX_SOURCE_DIR) / "tests" / "transcripts";
  for (const auto& c : fs::directory_iterator(all)) {
    if (!c.is_directory()) continue;
    const fs::path dir = c.path();
    SCOPED_TRACE(dir.filename().string());
    TempDir work, results;
    install_shipped_files(work.path());
    if (fs::exists(dir / "setup"))
      for (const auto& e : fs::directory_iterator(dir / "setup"))
        fs::copy_file(e.path(), work / e.path().filename().string(),
                      fs::copy_options::overwrite_existing);
    if (fs::exists(dir / "remove.txt")) {
      std::istringstream names(read_text(dir / "remove.txt"));
      for (std::string name; std::getline(names, name);)
        if (!name.empty()) fs::remove(work / name);
    }
    mx::RunOptions options;
    options.tolerance = results / "study.json";
    options.plot = results / "plot.svg";
    options.trials = 8;
    const SessionResult r = run_session(read_text(dir / "answers.txt"), work.path(), options);
    EXPECT_EQ(r.out, read_text(dir / "stdout.txt"));
    EXPECT_EQ(std::to_string(r.status) + "\n", read_text(dir / "status.txt"));
    std::istringstream lines(r.err);
    std::string others;
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("mandrelix: wrote ", 0) != 0 &&
          line.rfind("mandrelix: tolerance study ", 0) != 0)
        others += line + "\n";
    EXPECT_EQ(others, fs::exists(dir / "stderr.txt") ? read_text(dir / "stderr.txt") : "");
  }
}

}  // namespace
}  // namespace mxtest
