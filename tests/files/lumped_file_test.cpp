#include "files/lumped_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/program_exit.h"
#include "session.h"

namespace mx {
namespace {

class LumpedFile : public ::testing::Test {
 protected:
  LumpedFile() { ds.files.lumped = Name20("circuit.lef"); }

  // Writes the file under the lumped file name and reads it; the console
  // text is returned.
  std::string read(const std::string& text) {
    mxtest::write_file(dir / std::string(ds.files.lumped.trimmed()), text);
    return read_again();
  }
  std::string read_again() {
    std::ostringstream os;
    TextOut console(os);
    ok = read_lumped_file(ds, console, dir.path());
    return os.str();
  }
  static std::string message(const std::string& name12, const std::string& entry) {
    return "\n\n      Error detected in User-defined data filename: " + name12 +
           "\n      Correct data entry for variable " + entry + "\n";
  }

  mxtest::TempDir dir;
  DesignRecord ds;
  bool ok = false;  // what the last read_lumped_file returned
};

TEST_F(LumpedFile, ShippedSampleIsAStandardSevenElementLadder) {
  ds.files.lumped = Name20("lumped7.lef");
  mxtest::install_shipped_files(dir.path());
  EXPECT_EQ(read_again(), "");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ds.control.configuration, Configuration::kStandard);
  EXPECT_EQ(ds.design.sections, 7);
  EXPECT_EQ(ds.ladder.shunt_pf(1), 3.76f);
  EXPECT_EQ(ds.ladder.series_nh(4), 12.521f);
  EXPECT_EQ(ds.ladder.shunt_pf(7), 3.76f);
}

TEST_F(LumpedFile, DualCircuitStartsWithTheInductor) {
  EXPECT_EQ(read("title\n2\n10\n2.5\n12           comment\n3.3\n"), "");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ds.control.configuration, Configuration::kDual);
  EXPECT_EQ(ds.design.sections, 4);
  EXPECT_EQ(ds.ladder.series_nh(1), 10.0f);
  EXPECT_EQ(ds.ladder.shunt_pf(2), 2.5f);
  EXPECT_EQ(ds.ladder.series_nh(3), 12.0f);
  EXPECT_EQ(ds.ladder.shunt_pf(4), 3.3f);
  EXPECT_EQ(ds.ladder.shunt_pf(1), 0.0f);

  // CR LF line ends and a missing final line end read the same; so does a
  // second read of the same file.
  DesignRecord first = ds;
  EXPECT_EQ(read("title\r\n2\r\n10\r\n2.5\r\n12           comment\r\n3.3"), "");
  EXPECT_EQ(ds.design.sections, 4);
  EXPECT_EQ(ds.ladder.shunt_pf(4), first.ladder.shunt_pf(4));
  EXPECT_EQ(read_again(), "");
  EXPECT_EQ(ds.design.sections, 4);
}

TEST_F(LumpedFile, EndsBeforeTheElements) {
  ds.control.configuration = Configuration::kDual;
  ds.design.sections = 5;
  EXPECT_EQ(read("title only\n"), "");  // no ICFG line: an empty circuit
  EXPECT_TRUE(ok);
  EXPECT_EQ(ds.design.sections, 0);
  EXPECT_EQ(ds.control.configuration, Configuration::kDual);

  EXPECT_EQ(read("title\n1\n"), "");
  EXPECT_EQ(ds.design.sections, 0);
  EXPECT_EQ(ds.control.configuration, Configuration::kStandard);

  EXPECT_EQ(read("title\n1\n4.7\n"), "");  // one element; the caller rejects n = 1
  EXPECT_EQ(ds.design.sections, 1);

  ds.design.sections = 5;
  EXPECT_EQ(read(""), message("circuit.lef ", "1st lin  0."));
  EXPECT_FALSE(ok);
  EXPECT_EQ(ds.design.sections, 5);
}

TEST_F(LumpedFile, BadElementValuesNameTheirPosition) {
  ds.design.sections = 9;
  EXPECT_EQ(read("t\n1\n3.2\n9.7\n5.1\n0\n3.2\n"), message("circuit.lef ", "SERL     4."));
  EXPECT_FALSE(ok);
  EXPECT_EQ(ds.ladder.series_nh(4), 0.0f);  // stored as read
  EXPECT_EQ(ds.ladder.shunt_pf(3), 5.1f);
  EXPECT_EQ(ds.design.sections, 9);  // unchanged after a failure

  EXPECT_EQ(read("t\n1\n-3.2\n"), message("circuit.lef ", "SHUNTC   1."));
  EXPECT_EQ(ds.ladder.shunt_pf(1), -3.2f);
  EXPECT_EQ(read("t\n2\n1\n\n"), message("circuit.lef ", "SHUNTC   2."));
  EXPECT_EQ(read("t\n2\n1\n2\nx7\n"), message("circuit.lef ", "SERL     3."));
  EXPECT_EQ(read("t\n2\n1\n2\n1e40\n"), message("circuit.lef ", "SERL     3."));
  EXPECT_EQ(read(std::string("t\n2\n1\n2\n5\0\n", 11)), message("circuit.lef ", "SERL     3."));

  // Only the first 12 characters of the name show.
  ds.files.lumped = Name20("a-rather-long-name.lef");
  EXPECT_EQ(read("t\n1\n0\n"), message("a-rather-lon", "SHUNTC   1."));
}

TEST_F(LumpedFile, Configuration) {
  const std::string config = message("circuit.lef ", "ICFG.");
  EXPECT_EQ(read("t\n1.4\n3\n"), "");
  EXPECT_EQ(ds.control.configuration, Configuration::kStandard);
  EXPECT_EQ(ds.ladder.shunt_pf(1), 3.0f);

  EXPECT_EQ(read("t\n2.5\n3\n"), config);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ds.control.configuration, static_cast<Configuration>(3));  // stored before its test
  ds.control.configuration = Configuration::kDual;
  EXPECT_EQ(read("t\nX\n3\n"), config);
  EXPECT_EQ(ds.control.configuration, Configuration::kDual);
  EXPECT_EQ(read("t\n\n3\n"), config);  // blank reads 0
  EXPECT_EQ(read("t\n-1\n"), config);
}

TEST_F(LumpedFile, AtMostThirtyOneElements) {
  std::string text = "title\n1\n";
  for (int k = 1; k <= 31; ++k) text += std::to_string(k) + "\n";
  EXPECT_EQ(read(text), "");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ds.design.sections, 31);
  EXPECT_EQ(ds.ladder.shunt_pf(31), 31.0f);
  EXPECT_EQ(ds.ladder.series_nh(30), 30.0f);

  // Any 32nd line fails, whatever it holds.
  EXPECT_EQ(read(text + "32\n"), message("circuit.lef ", "SERL    32."));
  EXPECT_FALSE(ok);
  EXPECT_EQ(read(text + "\n"), message("circuit.lef ", "SERL    32."));
  EXPECT_EQ(ds.design.sections, 31);
  text[6] = '2';
  EXPECT_EQ(read(text + "junk\n"), message("circuit.lef ", "SHUNTC  32."));
}

TEST_F(LumpedFile, LongAndBinaryLinesAreSafe) {
  const std::string huge(200000, '\xff');
  EXPECT_EQ(read(huge + "\n1\n5            " + huge + "\r\n6\r\n"), "");
  EXPECT_EQ(ds.design.sections, 2);
  EXPECT_EQ(ds.ladder.shunt_pf(1), 5.0f);
  EXPECT_EQ(ds.ladder.series_nh(2), 6.0f);
}

TEST_F(LumpedFile, MissingFileEndsTheRun) {
  ds.files.lumped = Name20("nothere.lef");
  std::ostringstream os;
  TextOut console(os);
  try {
    read_lumped_file(ds, console, dir.path());
    ADD_FAILURE() << "no ProgramExit";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_NE(e.message.find("nothere.lef"), std::string::npos);
  }
  EXPECT_EQ(os.str(), "");
}

}  // namespace
}  // namespace mx
