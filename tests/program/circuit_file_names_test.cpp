// The name of a circuit data file to analyse: a person at a terminal is asked
// again after a name that cannot be used; answers from a script end the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

enum class Kind { kLumped, kCoaxial };

// The answers around the file name: the analysis of a circuit file with the
// defaults, 500 to 1500 MHz by 250, no storage, then the end of the run.
std::string analysis_answers(Kind kind, const std::vector<std::string>& names) {
  std::vector<std::string> a = {"1", kind == Kind::kLumped ? "1" : "2", "2"};
  a.insert(a.end(), names.begin(), names.end());
  if (kind == Kind::kLumped) a.insert(a.end(), {"", "", "", ""});  // Rs, Xs, Rl, Xl
  if (kind == Kind::kCoaxial) a.insert(a.end(), {"", "", ""});     // the loss data
  a.insert(a.end(), {"500", "1500", "250", "", "3"});
  return answer_lines(a);
}

// What follows a failure at a terminal: the question for the name again.
std::string asked_again(Kind kind) {
  return kind == Kind::kLumped ? "\n      Enter a FILENAME that contains Circuit Elements\n"
                               : "\n      Enter a FILENAME that contains Distributed Circuit "
                                 "Elements\n";
}

std::string cannot(const std::string& doing, Kind kind, const std::string& name) {
  return "file error: cannot " + doing + " the " +
         (kind == Kind::kLumped ? "lumped" : "distributed") + " circuit data file \"" + name + "\"";
}

TEST(CircuitFileNames, TerminalAsksAgainScriptEnds) {
  TempDir reference;
  install_shipped_files(reference.path());
  // The run the retried ones must end like: from the completed reading on.
  const auto after_reading = [](const std::string& out) {
    const std::size_t at = out.rfind("..Completed.");
    return at == std::string::npos ? std::string() : out.substr(at);
  };
  const std::string lumped_plain =
      after_reading(run_session(analysis_answers(Kind::kLumped, {""}), reference.path()).out);
  const std::string coax_plain =
      after_reading(run_session(analysis_answers(Kind::kCoaxial, {""}), reference.path()).out);
  ASSERT_FALSE(lumped_plain.empty());
  ASSERT_FALSE(coax_plain.empty());

  // At a terminal a run ends early only at the end of the input, which then
  // follows the names; every name but a blank one there is tried.
  struct Case {
    const char* what;
    bool terminal;
    Kind kind;
    std::vector<std::string> names;  // the answers to the name question
    int status;
    std::string err;
    std::string shown;  // just before the question again, at a terminal
  };
  const Kind kL = Kind::kLumped, kC = Kind::kCoaxial;
  const std::string missing = cannot("open", kL, "lumpd7.lef");
  const auto told = [](const std::string& message) {
    return "....\n      " + message + "; please give another name.\n";
  };
  const std::string eof = "input error: end of input while reading a file name\n";
  // The last line of each reader's message for the files below.
  const std::string bad_d3 = "Fix entry for variable D      3.\n";
  const std::string bad_c1 = "Correct data entry for variable SHUNTC   1.\n";
  const std::string bad_n = "See User Manual for a table of variable constraints.\n";
  const std::string folder = told(cannot("read", kC, "sub"));
  const Case cases[] = {
      {"typo, then the good name", true, kL, {"lumpd7.lef", "lumped7.lef"}, 0, "", told(missing)},
      {"a folder, then the good name", true, kC, {"sub", "coax7.cxf"}, 0, "", folder},
      {"rejected file, then the good one", true, kC, {"bad.cxf", "coax7.cxf"}, 0, "", bad_d3},
      {"rejected element, then the good one", true, kL, {"neg.lef", "lumped7.lef"}, 0, "", bad_c1},
      {"N out of range, then the good one", true, kL, {"one.lef", "lumped7.lef"}, 0, "", bad_n},
      {"a blank answer after a typo", true, kL, {"lumpd7.lef", "", "lumped7.lef"}, 0, "", ""},
      {"end of input after a typo", true, kL, {"lumpd7.lef"}, 2, eof, ""},
      {"end of input after a rejected file", true, kC, {"bad.cxf"}, 2, eof, ""},
      {"script: typo", false, kL, {"lumpd7.lef", "lumped7.lef"}, 2, missing + "\n", ""},
      {"script: rejected file", false, kC, {"bad.cxf", "coax7.cxf"}, 1, "", ""},
      {"script: N out of range", false, kL, {"one.lef", "lumped7.lef"}, 1, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    install_shipped_files(dir.path());
    fs::copy_file(
        fs::path(MANDRELIX_SOURCE_DIR) / "tests/transcripts/ana_rejected_coax_file/setup/bad.cxf",
        dir / "bad.cxf");
    write_file(dir / "neg.lef", "title\n1\n-5\n10\n");
    write_file(dir / "one.lef", "title\n1\n5\n");
    fs::create_directory(dir / "sub");
    mx::RunOptions options;
    options.interactive = c.terminal;
    const bool end_after_names = c.terminal && c.status != 0;
    std::string answers = analysis_answers(c.kind, c.names);
    if (end_after_names)  // the menus, then only the names
      answers = answer_lines({"1", c.kind == kL ? "1" : "2", "2"}) + answer_lines(c.names);
    const SessionResult r = run_session(answers, dir.path(), options);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, c.err);
    std::size_t attempts = 0;
    for (std::size_t p = r.out.find("Attempting to read"); p != std::string::npos;
         p = r.out.find("Attempting to read", p + 1))
      ++attempts;
    const auto tried = static_cast<std::size_t>(
        std::count_if(c.names.begin(), c.names.end(), [](const auto& n) { return !n.empty(); }));
    EXPECT_EQ(attempts, c.terminal ? tried : 1u) << r.out;
    if (c.terminal && c.names.size() > 1) {
      EXPECT_NE(r.out.find(c.shown + asked_again(c.kind)), std::string::npos) << r.out;
    }
    if (c.status == 0) {
      EXPECT_EQ(after_reading(r.out), c.kind == kL ? lumped_plain : coax_plain);
    } else if (!end_after_names) {  // a script stops at the failed file
      EXPECT_EQ(r.out.find("..Completed."), std::string::npos) << r.out;
    }
  }
}

}  // namespace
}  // namespace mxtest
