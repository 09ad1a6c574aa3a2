// Whole runs with --em-model: a full-wave model of every coaxial synthesis and analysis, numbered
// like the other result files, each named on the error stream, with the synthesized dimensions
// and the frequencies and references of what it models (read back by Python:
// tests/export/read_em_model.py). A lumped design gets none; the dialog's text does not change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "../export/picture_checks.h"
#include "session.h"

namespace mxtest {
namespace {

namespace pc = mx::picture_checks;

// The worked example (every default of a distributed synthesis), then its analysis with the
// offered losses from 10 to 3000 MHz by 10.
std::string worked_example_and_analysis() {
  std::vector<std::string> a = {"", "2", "1"};
  a.insert(a.end(), 17, "");
  for (const char* x : {"1", "", "", "", "10", "3000", "10", "", "3"}) a.push_back(x);
  return answer_lines(a);
}

// The words of the reader's line that starts with `key`.
std::vector<std::string> words_of(const std::string& log, const std::string& key) {
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key + " ", 0) != 0) continue;
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string x; words >> x;) w.push_back(x);
    return w;
  }
  return {};
}

float number(const std::string& s) { return std::strtof(s.c_str(), nullptr); }

std::string read_model(const std::string& path, const pc::Scratch& scratch) {
  std::string log;
  EXPECT_EQ(pc::run_check("read_em_model.py", "'" + path + "'", scratch, log), 0) << log;
  return log;
}

TEST(EmModelRun, SynthesisAndAnalysisEachWriteTheirModel) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.em_model = dir / "filter.py";
  options.save_circuit = dir / "filter.cxf";
  const SessionResult r = run_session(worked_example_and_analysis(), dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string d = dir.path().string() + "/";
  EXPECT_EQ(r.err, "mandrelix: wrote coaxial circuit " + d + "filter.cxf\n" +
                       "mandrelix: wrote full-wave model " + d + "filter.py\n" +
                       "mandrelix: wrote full-wave model " + d + "filter-2.py\n");
  EXPECT_EQ(r.out, run_session(worked_example_and_analysis(), dir.path()).out);

  pc::Scratch scratch("em_model_run");
  const std::string synthesis = read_model(d + "filter.py", scratch);
  const std::string analysis = read_model(d + "filter-2.py", scratch);
  EXPECT_NE(synthesis.find("title 7-section Chebyshev 0.1 dB low-pass, FC1 1000 MHz, Zo 50 ohm, "
                           "standard coaxial filter\n"),
            std::string::npos)
      << synthesis;
  // The synthesis: 0 to 3 x FC1 by FC1 / 100, referred to the system's 50 ohm; the analysis:
  // its sweep, referred to its terminations (the 49.99-ohm end lines).
  const auto f_synthesis = words_of(synthesis, "frequencies");
  ASSERT_EQ(f_synthesis.size(), 2u + 301u);
  EXPECT_EQ(number(f_synthesis[2]), 0.0f);
  EXPECT_EQ(number(f_synthesis[3]), 10.0f);
  EXPECT_EQ(number(f_synthesis.back()), 3000.0f);
  EXPECT_EQ(words_of(synthesis, "reference"),
            (std::vector<std::string>{"reference", "50.0", "50.0"}));
  EXPECT_EQ(words_of(synthesis, "cutoff"), (std::vector<std::string>{"cutoff", "1000.0", "0.1"}));
  const auto f_analysis = words_of(analysis, "frequencies");
  ASSERT_EQ(f_analysis.size(), 2u + 300u);
  EXPECT_EQ(number(f_analysis[2]), 10.0f);
  EXPECT_EQ(number(f_analysis.back()), 3000.0f);
  const auto ref = words_of(analysis, "reference");
  ASSERT_EQ(ref.size(), 3u);
  EXPECT_EQ(number(ref[1]), 49.99276f);
  EXPECT_EQ(number(ref[2]), 49.99276f);

  // Both model the filter the circuit data file holds: its lengths, to the last bit.
  const std::string cxf = read_file(dir / "filter.cxf");
  for (int k = 1; k <= 7; ++k) {
    const std::string key = "section " + std::to_string(k);
    const auto s = words_of(synthesis, key);
    ASSERT_EQ(s.size(), 7u) << key;
    EXPECT_EQ(s, words_of(analysis, key)) << key;
    const std::size_t at = cxf.find("LENGTH " + std::to_string(k) + ",");
    ASSERT_NE(at, std::string::npos) << cxf;
    const std::size_t line = cxf.rfind('\n', at) + 1;
    EXPECT_EQ(number(s[6]), number(cxf.substr(line, at - line))) << key;
  }
}

TEST(EmModelRun, LumpedDesignsGetNoModel) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.em_model = dir / "filter.py";
  // A lumped synthesis and its analysis.
  const SessionResult r =
      run_session(answer_lines({"", "1", "1", "1000", "0.1", "7", "50", "", "1", "", "50", "0",
                                "50", "0", "50", "3000", "50", "", "5"}),
                  dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(fs::exists(dir / "filter.py"));
}

}  // namespace
}  // namespace mxtest
