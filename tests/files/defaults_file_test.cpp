#include "files/defaults_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/program_exit.h"
#include "session.h"

namespace mx {
namespace {

// The shipped defaults file as lines, to be altered one line at a time.
std::vector<std::string> shipped_lines() {
  std::istringstream in(mxtest::read_file(mxtest::shipped_data_dir() / "Mandrelix.DEF"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

struct DefRead {
  DesignRecord ds;
  bool ok = false;  // what read_defaults_file returned
  std::string out;
};

DefRead read_def(const std::vector<std::string>& lines, const char* eol = "\n") {
  mxtest::TempDir dir;
  std::string text;
  for (const std::string& l : lines) text += l + eol;
  mxtest::write_file(dir / "Mandrelix.DEF", text);
  DefRead r;
  std::ostringstream os;
  TextOut console(os);
  r.ok = read_defaults_file(r.ds, console, dir.path());
  r.out = os.str();
  return r;
}

// Line `number` (from 1) replaced by text.
DefRead read_with(int number, const std::string& text) {
  auto lines = shipped_lines();
  lines.at(static_cast<std::size_t>(number - 1)) = text;
  return read_def(lines);
}

std::string fix_message(const std::string& name12) {
  return "\n      Error exists in COAXIAL LOW-PASS FILTER default value data\n"
         "      file (Mandrelix.DEF). Fix entry for variable " +
         name12 + "\n";
}

TEST(DefaultsFile, ShippedFileFillsTheRecord) {
  const DefRead r = read_def(shipped_lines());
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.ok);
  const DesignData& d = r.ds.design;
  EXPECT_EQ(d.ripple_db, 0.1f);
  EXPECT_EQ(d.skirt_atten_db, 40.0f);
  EXPECT_EQ(d.cutoff_mhz, 1000.0f);
  EXPECT_EQ(r.ds.sweep.stop_mhz, 3000.0f);
  EXPECT_EQ(r.ds.sweep.start_mhz, 100.0f);
  EXPECT_EQ(d.skirt_mhz, 1500.0f);
  EXPECT_EQ(r.ds.sweep.step_mhz, 100.0f);
  EXPECT_EQ(d.sections, 7);
  EXPECT_EQ(d.system_impedance, 50.0f);
  EXPECT_EQ(r.ds.ports.rl, 50.0f);
  EXPECT_EQ(r.ds.ports.rs, 50.0f);
  EXPECT_EQ(r.ds.lines.inner(0), 0.2172f);
  EXPECT_EQ(r.ds.lines.zo(1), 96.5f);
  EXPECT_EQ(r.ds.lines.inner(2), 0.45f);
  EXPECT_EQ(r.ds.lines.zo(3), 50.0f);
  EXPECT_EQ(r.ds.losses.loss_tangent, 0.0002f);
  EXPECT_EQ(r.ds.losses.roughness, 32.0f * 1e-6f);
  EXPECT_EQ(r.ds.losses.resistivity, 1.72f * 3.93700788e-07f);
  EXPECT_EQ(r.ds.files.lumped, Name20("lumped7.lef"));
  EXPECT_EQ(r.ds.files.coaxial, Name20("coax7.cxf"));
  EXPECT_EQ(r.ds.files.report, Name20("report.txt"));

  // Windows line ends read the same.
  const DefRead crlf = read_def(shipped_lines(), "\r\n");
  EXPECT_EQ(crlf.out, "");
  EXPECT_EQ(crlf.ds.files.report, Name20("report.txt"));
  EXPECT_TRUE(crlf.ok);
  EXPECT_EQ(crlf.ds.losses.resistivity, r.ds.losses.resistivity);
}

TEST(DefaultsFile, EndOfFileNamesTheMissingLine) {
  auto lines = shipped_lines();
  lines.resize(35);
  DefRead r = read_def(lines);
  EXPECT_EQ(r.out,
            "\n      End-of-file in COAXIAL LOW-PASS FILTER default value data\n"
            "      file (Mandrelix.DEF). Entry missing for variable FNO.        \n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.ds.files.coaxial, Name20("coax7.cxf"));  // read before the failure

  lines.resize(20);  // ends before Er of the high-impedance line kind
  r = read_def(lines);
  EXPECT_EQ(r.out,
            "\n      End-of-file in COAXIAL LOW-PASS FILTER default value data\n"
            "      file (Mandrelix.DEF). Entry missing for variable Er          1\n");

  r = read_def({});
  EXPECT_NE(r.out.find("Entry missing for variable first line. \n"), std::string::npos);
  EXPECT_FALSE(r.ok);
}

TEST(DefaultsFile, RejectedValuesNameTheirLine) {
  struct Case {
    int line;
    const char* text;
    const char* name12;
  };
  const Case cases[] = {
      {2, "0", "Am.         "},      {3, "0", "A1.         "},     {3, "0.1", "A1.         "},
      {3, "-0.1", "A1.         "},   {4, "0", "FC1.        "},     {4, "abc", "FC1.        "},
      {4, "1.5+3", "FC1.        "},  {5, "-1", "Fmax.       "},    {6, "0", "Fmin.       "},
      {6, "3000.5", "Fmin.       "}, {7, "-1500", "F1.         "}, {8, "", "Fstep.      "},
      {9, "1", "N.          "},      {9, "31", "N.          "},    {9, "1.4", "N.          "},
      {9, "1e30", "N.          "},   {12, "0", "Zo.         "},    {14, "", "ZRS.        "},
      {13, "1e39", "ZRL.        "},  {31, "-0.1", "DLTAN       "}, {32, "-1", "SR          "},
      {33, "-1.72", "RES         "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + ": " + c.text);
    const DefRead r = read_with(c.line, c.text);
    EXPECT_EQ(r.out, fix_message(c.name12));
    EXPECT_FALSE(r.ok);
  }

  // The failing value stays stored (n rounded, am before its magnitude).
  EXPECT_EQ(read_with(9, "31").ds.design.sections, 31);
  EXPECT_EQ(read_with(4, "-5").ds.design.cutoff_mhz, -5.0f);
  EXPECT_EQ(read_with(4, "-5").ds.sweep.stop_mhz, 0.0f);
  EXPECT_EQ(read_with(2, "-0").ds.design.ripple_db, 0.0f);
  // The attenuation must exceed the ripple in magnitude.
  auto lines = shipped_lines();
  lines[1] = "40";
  lines[2] = "-40";
  DefRead r = read_def(lines);
  EXPECT_EQ(r.out, fix_message("A1.         "));
  EXPECT_EQ(r.ds.design.skirt_atten_db, 40.0f);
}

TEST(DefaultsFile, LineKindEntriesCarryTheirDigit) {
  DefRead r = read_with(28, "0.5");  // D equal to B for the load line
  EXPECT_EQ(r.out,
            "\n      Error exists in COAXIAL LOW-PASS FILTER default value data\n"
            "      file (Mandrelix.DEF). Fix entry for variable  D          3\n");
  EXPECT_EQ(r.ds.lines.inner(3), 0.5f);
  r = read_with(17, "0.9");
  EXPECT_EQ(r.out, fix_message("Er          0"));
  EXPECT_EQ(read_with(19, "-0.5").out, fix_message(" B          1"));
  EXPECT_EQ(read_with(24, "-1").out, fix_message(" D          2"));
  EXPECT_EQ(read_with(26, "-6").out, fix_message("Zo          2"));
  EXPECT_EQ(read_with(21, "1.0").out, "");  // Er of 1 is a vacuum line
}

TEST(DefaultsFile, ReservedNames) {
  EXPECT_EQ(read_with(34, "Mandrelix.DEF").out, fix_message("FNIE.       "));
  EXPECT_EQ(read_with(35, "Mandrelix.DEF       ").out, fix_message("FNID.       "));
  EXPECT_EQ(read_with(36, "mandrelix.exe").out, fix_message("FNO.        "));
  EXPECT_EQ(read_with(36, "Mandrelix.EXE\r").out, fix_message("FNO.        "));
  EXPECT_EQ(read_with(34, "Mandrelix.def").out, "");
  EXPECT_EQ(read_with(34, " Mandrelix.DEF").out, "");
  // Only 20 characters count, so this is the reserved name too.
  EXPECT_EQ(read_with(34, "Mandrelix.DEF        extra").out, fix_message("FNIE.       "));
  EXPECT_EQ(read_with(34, "Mandrelix.DEF").ds.files.lumped, Name20("Mandrelix.DEF"));
}

TEST(DefaultsFile, AcceptedEdgeValues) {
  auto lines = shipped_lines();
  lines[1] = "-0.5         ripple";
  lines[5] = "3000";  // Fmin equal to Fmax
  lines[8] = "9.5";
  lines[9] = "";
  lines[10] = "   ";
  lines[12] = "\t";
  lines[31] = "50";
  lines[32] = "1.72         comment";
  lines[3] = "1 0 0 0,5    x";  // blanks ignored, a comma ends the number
  lines[6] = "1500         \x01\xff binary after the field" + std::string(100000, 'x');
  DefRead r = read_def(lines, "\r\n");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.ds.design.ripple_db, 0.5f);
  EXPECT_EQ(r.ds.sweep.start_mhz, 3000.0f);
  EXPECT_EQ(r.ds.design.sections, 10);
  EXPECT_EQ(r.ds.ports.xl, 0.0f);
  EXPECT_EQ(r.ds.ports.xs, 0.0f);
  EXPECT_EQ(r.ds.ports.rl, 0.0f);
  EXPECT_EQ(r.ds.losses.roughness, 5e-5f);
  EXPECT_NEAR(r.ds.losses.resistivity, 6.77e-07f, 0.005e-07f);  // 1.72 micro-ohm-cm
  EXPECT_EQ(r.ds.design.cutoff_mhz, 1000.0f);
  EXPECT_EQ(r.ds.design.skirt_mhz, 1500.0f);

  // A number pushed past column 13 is not read.
  EXPECT_EQ(read_with(4, "             1000").out, fix_message("FC1.        "));
}

TEST(DefaultsFile, MissingFileEndsTheRun) {
  mxtest::TempDir dir;
  DesignRecord ds;
  std::ostringstream os;
  TextOut console(os);
  try {
    read_defaults_file(ds, console, dir.path());
    ADD_FAILURE() << "no ProgramExit";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_NE(e.message.find("Mandrelix.DEF"), std::string::npos);
    EXPECT_EQ(e.message.find('\n'), std::string::npos);
  }
  EXPECT_EQ(os.str(), "");

  // A folder under that name cannot be read either.
  std::filesystem::create_directory(dir / "Mandrelix.DEF");
  EXPECT_THROW(read_defaults_file(ds, console, dir.path()), ProgramExit);
  EXPECT_EQ(os.str(), "");
}

}  // namespace
}  // namespace mx
