#include "files/coax_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "coax/geometry.h"
#include "main/program_exit.h"
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
  CoaxFile() { ds.char1.fnid = Name20("filter.cxf"); }

  std::string read(const std::string& text) {
    mxtest::write_file(dir / std::string(ds.char1.fnid.trimmed()), text);
    return read_again();
  }
  std::string read_again() {
    std::ostringstream os;
    TextOut console(os);
    cxeread(ds, console, dir.path());
    return os.str();
  }
  static std::string plain(const char* head, const std::string& label12) {
    return std::string("\n      ") + head + " COAXIAL LOW-PASS FILTER file filter.cxf  \n" +
           "      Fix entry for variable " + label12 + "\n";
  }

  mxtest::TempDir dir;
  DesignState ds;
};

TEST_F(CoaxFile, ShippedSampleAndTerminations) {
  ds.char1.fnid = Name20("coax7.cxf");
  mxtest::install_shipped_files(dir.path());
  ds.int1.isel = 1;
  ds.real1.zrs = 75;
  ds.real1.zrl = 75;
  ds.real1.zis = 3;
  EXPECT_EQ(read_again(), "");
  EXPECT_EQ(ds.int1.isel, 0);
  EXPECT_EQ(ds.int1.n, 7);
  const Real2& a = ds.real2;
  EXPECT_EQ(a.anal(1), 0.175f);
  EXPECT_EQ(a.anal(4), 1.754f);
  EXPECT_EQ(a.anad(1), 0.45f);
  EXPECT_EQ(a.anad(2), 0.1f);
  EXPECT_EQ(a.anad(8), 0.2172f);
  float z = 0;
  cxzo(0.5f, 0.1f, 1.0f, z);
  EXPECT_EQ(a.anazo(2), z);
  EXPECT_NEAR(a.anazo(2), 96.5f, 0.01f);
  EXPECT_NEAR(a.anazo(1), 6.32f, 0.01f);
  EXPECT_NEAR(a.anazo(0), 50.0f, 0.02f);
  EXPECT_EQ(ds.real1.zrs, a.anazo(0));
  EXPECT_EQ(ds.real1.zrl, a.anazo(8));
  EXPECT_EQ(ds.real1.zis, 3.0f);

  // Read again, and once more as a CR LF file: the same circuit.
  const DesignState first = ds;
  EXPECT_EQ(read_again(), "");
  EXPECT_EQ(ds.real2.anazo(5), first.real2.anazo(5));
  std::string crlf;
  for (char c : mxtest::read_file(dir / "coax7.cxf")) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(read(crlf), "");  // written under filter.cxf
  EXPECT_EQ(ds.int1.n, 7);
  EXPECT_EQ(ds.real2.anal(7), first.real2.anal(7));
  EXPECT_EQ(ds.real1.zrl, first.real1.zrl);
}

TEST_F(CoaxFile, SectionEntries) {
  const std::string head = "title\n3\n" + std::string(kSource);
  EXPECT_EQ(read(head + section("0.2", "0.5", "0.4") + section("0.2", "0.5", "0.1") +
                 section("0.2", "0.5", "0.5") + kLoad),
            "\n      Error exists for COAXIAL LOW-PASS FILTER file filter.cxf  \n"
            "      Fix entry for variable D      3.\n");
  EXPECT_EQ(ds.int1.isel, -1);
  EXPECT_EQ(ds.real2.anad(3), 0.5f);  // stored as read

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
  EXPECT_EQ(ds.real2.anal(1), 0.0f);
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
  EXPECT_EQ(ds.real2.anaer(3), 0.99f);
  EXPECT_EQ(read(body + "\n"), plain(bad.c_str(), "ErLoad.     "));
  EXPECT_EQ(read(body + "1\nlines after the load line are not read\n"), "");
  EXPECT_EQ(ds.int1.isel, 0);

  ds.char1.fnid = Name20("name-of-twenty-chars");
  EXPECT_EQ(read("title\n2\n-1\n"),
            "\n      Error exists in COAXIAL LOW-PASS FILTER file name-of-twen\n"
            "      Fix entry for variable BSource.    \n");
}

TEST_F(CoaxFile, SectionCount) {
  EXPECT_EQ(read(circuit(1)), plain("Error exists in", "N.          "));
  EXPECT_EQ(ds.int1.n, 1);  // kept even though refused
  EXPECT_EQ(read(circuit(32)), plain("Error exists in", "N.          "));
  EXPECT_EQ(ds.int1.n, 32);

  EXPECT_EQ(read(circuit(31)), "");
  EXPECT_EQ(ds.int1.n, 31);
  EXPECT_EQ(ds.real2.anab(32), 0.5f);
  EXPECT_EQ(ds.real1.zrl, ds.real2.anazo(32));

  std::string text = circuit(3);
  text.replace(text.find("\n3\n"), 3, "\n2.5\n");
  EXPECT_EQ(read(text), "");
  EXPECT_EQ(ds.int1.n, 3);
  EXPECT_EQ(ds.real2.anad(4), 0.2172f);
}

TEST_F(CoaxFile, MissingFileEndsTheRun) {
  ds.char1.fnid = Name20("absent.cxf");
  std::ostringstream os;
  TextOut console(os);
  try {
    cxeread(ds, console, dir.path());
    ADD_FAILURE() << "no ProgramExit";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_NE(e.message.find("absent.cxf"), std::string::npos);
  }
  EXPECT_EQ(os.str(), "");
}

}  // namespace
}  // namespace mx
