#include "files/coax_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/program_exit.h"
#include "line/impedance.h"
#include "session.h"

namespace mx {
namespace {

// Section lines: length, outer and inner diameter, dielectric constant.
std::string section(const char* len, const char* b, const char* d, const char* er = "1") {
  return std::string(len) + "\n" + b + "\n" + d + "\n" + er + "\n";
}
const char* kSource = "0.5\n0.2172\n1\n";
const char* kLoad = "0.5\n0.2172\n1\n";

// A circuit of n identical sections.
std::string circuit(int n) {
  std::string text = "title\n" + std::to_string(n) + "\n" + kSource;
  for (int i = 0; i < n; ++i) text += section("0.3", "0.5", "0.1");
  return text + kLoad;
}

class CoaxFile : public ::testing::Test {
 protected:
  CoaxFile() { ds.files.coaxial = Name20("filter.cxf"); }

  std::string read(const std::string& text) {
    mxtest::write_file(dir / std::string(ds.files.coaxial.trimmed()), text);
    return read_again();
  }
  std::string read_again() {
    std::ostringstream os;
    TextOut console(os);
    ok = read_coax_file(ds, console, dir.path());
    return os.str();
  }
  static std::string plain(const char* head, const std::string& label12) {
    return std::string("\n      ") + head + " COAXIAL LOW-PASS FILTER file filter.cxf  \n" +
           "      Fix entry for variable " + label12 + "\n";
  }

  mxtest::TempDir dir;
  DesignRecord ds;
  bool ok = false;  // what the last read_coax_file returned
};

TEST_F(CoaxFile, ShippedSampleAndTerminations) {
  ds.files.coaxial = Name20("coax7.cxf");
  mxtest::install_shipped_files(dir.path());
  ds.ports.rs = 75;
  ds.ports.rl = 75;
  ds.ports.xs = 3;
  EXPECT_EQ(read_again(), "");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ds.design.sections, 7);
  const EnteredLines& a = ds.entered;
  EXPECT_EQ(a.length(1), 0.175f);
  EXPECT_EQ(a.length(4), 1.754f);
  EXPECT_EQ(a.inner(1), 0.45f);
  EXPECT_EQ(a.inner(2), 0.1f);
  EXPECT_EQ(a.inner(8), 0.2172f);
  const float z = line_impedance(0.5f, 0.1f, 1.0f);
  EXPECT_EQ(a.zo(2), z);
  EXPECT_NEAR(a.zo(2), 96.5f, 0.01f);
  EXPECT_NEAR(a.zo(1), 6.32f, 0.01f);
  EXPECT_NEAR(a.zo(0), 50.0f, 0.02f);
  EXPECT_EQ(ds.ports.rs, a.zo(0));
  EXPECT_EQ(ds.ports.rl, a.zo(8));
  EXPECT_EQ(ds.ports.xs, 3.0f);

  // Read again, and once more as a CR LF file: the same circuit.
  const DesignRecord first = ds;
  EXPECT_EQ(read_again(), "");
  EXPECT_EQ(ds.entered.zo(5), first.entered.zo(5));
  std::string crlf;
  for (char c : mxtest::read_file(dir / "coax7.cxf")) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(read(crlf), "");  // written under filter.cxf
  EXPECT_EQ(ds.design.sections, 7);
  EXPECT_EQ(ds.entered.length(7), first.entered.length(7));
  EXPECT_EQ(ds.ports.rl, first.ports.rl);
}

TEST_F(CoaxFile, SectionEntries) {
  const std::string head = "title\n3\n" + std::string(kSource);
  EXPECT_EQ(read(head + section("0.2", "0.5", "0.4") + section("0.2", "0.5", "0.1") +
                 section("0.2", "0.5", "0.5") + kLoad),
            "\n      Error exists for COAXIAL LOW-PASS FILTER file filter.cxf  \n"
            "      Fix entry for variable D      3.\n");
  EXPECT_FALSE(ok);
  EXPECT_EQ(ds.entered.inner(3), 0.5f);  // stored as read

  // Ends after the second of three sections.
  EXPECT_EQ(read(head + section("0.2", "0.5", "0.4") + section("0.2", "0.5", "0.1")),
            "\n      End-of-File in COAXIAL LOW-PASS FILTER file filter.cxf  \n"
            "      Fix entry for variable LENGTH 3.\n");
  EXPECT_EQ(read(head + "0.2\n0.5\n"), plain("End-of-File in", "D      1."));

  // Zero or negative diameters and negative lengths are refused; a zero
  // length is a valid section.
  const std::string bad_for = "Error exists for";
  EXPECT_EQ(read(head + section("-0.1", "0.5", "0.4")), plain(bad_for.c_str(), "LENGTH 1."));
  EXPECT_EQ(read(head + section("0", "-0.5", "0.4")), plain(bad_for.c_str(), "B      1."));
  EXPECT_EQ(read(head + section("0", "0.5", "0.4") + section("1", "0.5", "0")),
            plain(bad_for.c_str(), "D      2."));
  EXPECT_EQ(read(head + section("0", "0.5", "0.4") + section("1", "0.5", "0.1", "0.5")),
            plain(bad_for.c_str(), "Er     2."));
  EXPECT_EQ(read(head + section("0", "0.5", "0.4") + section("abc", "0.5", "0.1")),
            plain(bad_for.c_str(), "LENGTH 2."));
  EXPECT_EQ(read(head + section("0", "0.5", "0.4") + section("1", "0.5", "0.1") +
                 section("1", "0.5", "0.4") + kLoad),
            "");
  EXPECT_EQ(ds.entered.length(1), 0.0f);
}

TEST_F(CoaxFile, UnindexedEntries) {
  const std::string bad = "Error exists in";
  const std::string end = "End-of-File in";
  EXPECT_EQ(read(""), plain(end.c_str(), "first line. "));
  EXPECT_EQ(read("title\n"), plain(end.c_str(), "N.          "));
  EXPECT_EQ(read("title\n2\n0.5\n"), plain(end.c_str(), "DSource.    "));
  EXPECT_EQ(read("title\nN=2\n"), plain(bad.c_str(), "N.          "));
  EXPECT_EQ(read("title\n2\n0\n"), plain(bad.c_str(), "BSource.    "));
  EXPECT_EQ(read("title\n2\n0.5\n0.5\n"), plain(bad.c_str(), "DSource.    "));
  EXPECT_EQ(read("title\n2\n0.5\n0\n"), plain(bad.c_str(), "DSource.    "));
  EXPECT_EQ(read("title\n2\n0.5\n0.2\n0.999\n"), plain(bad.c_str(), "ErSource.   "));
  EXPECT_EQ(read(circuit(2).substr(0, circuit(2).size() - 2)), plain(end.c_str(), "ErLoad.     "));
  const std::string body = circuit(2).substr(0, circuit(2).size() - 2);
  EXPECT_EQ(read(body + "0.99\n"), plain(bad.c_str(), "ErLoad.     "));
  EXPECT_EQ(ds.entered.er(3), 0.99f);
  EXPECT_EQ(read(body + "\n"), plain(bad.c_str(), "ErLoad.     "));
  EXPECT_EQ(read(body + "1\nlines after the load line are not read\n"), "");
  EXPECT_TRUE(ok);

  ds.files.coaxial = Name20("name-of-twenty-chars");
  EXPECT_EQ(read("title\n2\n-1\n"),
            "\n      Error exists in COAXIAL LOW-PASS FILTER file name-of-twen\n"
            "      Fix entry for variable BSource.    \n");
}

TEST_F(CoaxFile, SectionCount) {
  EXPECT_EQ(read(circuit(1)), plain("Error exists in", "N.          "));
  EXPECT_EQ(ds.design.sections, 1);  // kept even though refused
  EXPECT_EQ(read(circuit(32)), plain("Error exists in", "N.          "));
  EXPECT_EQ(ds.design.sections, 32);

  EXPECT_EQ(read(circuit(31)), "");
  EXPECT_EQ(ds.design.sections, 31);
  EXPECT_EQ(ds.entered.outer(32), 0.5f);
  EXPECT_EQ(ds.ports.rl, ds.entered.zo(32));

  std::string text = circuit(3);
  text.replace(text.find("\n3\n"), 3, "\n2.5\n");
  EXPECT_EQ(read(text), "");
  EXPECT_EQ(ds.design.sections, 3);
  EXPECT_EQ(ds.entered.inner(4), 0.2172f);
}

TEST_F(CoaxFile, MissingFileEndsTheRun) {
  ds.files.coaxial = Name20("absent.cxf");
  std::ostringstream os;
  TextOut console(os);
  try {
    read_coax_file(ds, console, dir.path());
    ADD_FAILURE() << "no ProgramExit";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_NE(e.message.find("absent.cxf"), std::string::npos);
  }
  EXPECT_EQ(os.str(), "");
}

}  // namespace
}  // namespace mx
