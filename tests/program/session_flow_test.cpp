// Properties of whole runs that a single transcript cannot show on its own.
#include <gtest/gtest.h>

#include <sstream>

#include "app/program.h"
#include "session.h"

namespace mxtest {
namespace {

// The blank answers that take every default of a distributed synthesis.
const char* const kDistributedDefaults =
    "\n2\n1\n"                // synthesis, distributed, Chebyshev
    "\n\n\n\n\n\n\n\n\n\n\n"  // the four line kinds
    "\n\n\n\n\n\n";           // configuration, FC1, AM, N, Zo, storage

std::string table_of(const std::string& out) { return out.substr(out.rfind("Thru Path")); }

TEST(SessionFlow, DiagnosticListingLeavesTheDesignAsItWas) {
  TempDir a, b;
  install_shipped_files(a.path());
  install_shipped_files(b.path());
  const std::string analysis = "1\n1.72\n32\n0.0002\n500\n1500\n50\n\n3\n";
  const SessionResult plain = run_session(kDistributedDefaults + analysis, a.path());
  const SessionResult listed =
      run_session(std::string(kDistributedDefaults) + "-529\n-529\n" + analysis, b.path());
  ASSERT_EQ(plain.status, 0);
  ASSERT_EQ(listed.status, 0);
  EXPECT_EQ(table_of(plain.out), table_of(listed.out));
  // Both listings show the same figures.
  const std::size_t first = listed.out.find("Diagnostic Information");
  const std::size_t second = listed.out.find("Diagnostic Information", first + 1);
  const std::size_t end1 = listed.out.find("OPERATION selected", first);
  const std::size_t end2 = listed.out.find("OPERATION selected", second);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(listed.out.substr(first, end1 - first), listed.out.substr(second, end2 - second));
}

// Counts the readings of the clock; a later cycle must not read it again.
class CountingClock final : public mx::Clock {
 public:
  mx::LocalTime now() const override {
    ++reads;
    mx::LocalTime t = test_time();
    t.day += reads;  // a clock that moves past midnight between readings
    return t;
  }
  mutable int reads = 0;
};

TEST(SessionFlow, ClockIsReadOnceAtProgramStart) {
  TempDir dir;
  install_shipped_files(dir.path());
  std::istringstream in(
      answer_lines({"", "1", "1", "", "", "", "", "", "2", "", "1", "1", "", "", "", "", "", "4"}));
  std::ostringstream out, err;
  CountingClock clock;
  EXPECT_EQ(mx::run_program(in, out, err, clock, dir.path()), 0);
  EXPECT_EQ(clock.reads, 1);
  const std::string text = out.str();
  std::size_t count = 0;
  for (std::size_t p = text.find("Date: 7/10/2026"); p != std::string::npos;
       p = text.find("Date: 7/10/2026", p + 1))
    ++count;
  EXPECT_EQ(count, 4u);  // two banners and two report headers, all with the start date
}

TEST(SessionFlow, StoredReportIsTheConsoleCopy) {
  TempDir dir;
  install_shipped_files(dir.path());
  const SessionResult r =
      run_session(answer_lines({"", "1", "1", "", "",    "",    "",    "1", "copy.txt", "1", "",
                                "", "",  "",  "", "100", "900", "200", "1", "copy.txt", "5"}),
                  dir.path());
  ASSERT_EQ(r.status, 0);
  const std::string file = read_file(dir / "copy.txt");
  // Every stored report appears in the console text line for line.
  std::istringstream stored(file);
  std::size_t at = 0;
  for (std::string line; std::getline(stored, line);) {
    const std::size_t p = r.out.find(line + "\n", at);
    ASSERT_NE(p, std::string::npos) << line;
    at = p + line.size();
  }
  EXPECT_NE(file.find("SYNTHESIS of the Electrical Circuit"), std::string::npos);
  EXPECT_NE(file.find("Frequency ANALYSIS of the  7-Section"), std::string::npos);
}

TEST(SessionFlow, InputErrorKeepsWhatTheReportFileHolds) {
  TempDir dir;
  install_shipped_files(dir.path());
  const SessionResult r = run_session(
      answer_lines({"", "1", "1", "", "", "", "", "1", "kept.txt", "oops"}), dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("input error:", 0), 0u);
  const std::string file = read_file(dir / "kept.txt");
  EXPECT_NE(file.find("Output Data stored in User Filename: kept.txt"), std::string::npos);
  // Nothing is added to the console at the error.
  EXPECT_EQ(r.out.substr(r.out.size() - 21), "OPERATION selected = ");
}

}  // namespace
}  // namespace mxtest

namespace mxtest {
namespace {

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++count;
  return count;
}

TEST(SessionFlow, LongestSweepIsAcceptedOneMoreStepIsNot) {
  TempDir dir;
  install_shipped_files(dir.path());
  // Lumped circuit from the sample file, 1 MHz to 100001 MHz by 1 MHz: 100001 rows.
  const SessionResult longest = run_session("1\n1\n2\n\n\n\n\n\n1\n100001\n1\n\n3\n", dir.path());
  EXPECT_EQ(longest.status, 0);
  EXPECT_EQ(count_of(longest.out, "A sweep is limited"), 0u);
  EXPECT_NE(longest.out.find("      100001.0000"), std::string::npos);
  // One more step is refused and the step is asked again.
  const SessionResult refused =
      run_session("1\n1\n2\n\n\n\n\n\n1\n100002\n1\n50000\n\n3\n", dir.path());
  EXPECT_EQ(refused.status, 0);
  EXPECT_EQ(count_of(refused.out, "A sweep is limited to 100001 frequencies."), 1u);
  EXPECT_NE(refused.out.find("      100001.0000"), std::string::npos);  // 1, 50001, 100001
  EXPECT_EQ(refused.out.find("      100002.0000"), std::string::npos);
}

TEST(SessionFlow, ReportNameWithANulByteIsRefused) {
  TempDir dir;
  install_shipped_files(dir.path());
  using namespace std::string_literals;
  const SessionResult r = run_session("\n1\n1\n\n\n\n\n1\nrep\0x.txt\n4\n"s, dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "file error: cannot open the report file \"rep\\x00x.txt\"\n");
  EXPECT_FALSE(fs::exists(dir / "rep"));
}

}  // namespace
}  // namespace mxtest
