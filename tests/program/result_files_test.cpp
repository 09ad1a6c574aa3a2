// The result files of whole runs, checked against what the same run printed:
//  - the Touchstone file read by scikit-rf (tests/export/check_touchstone.py)
//    gives the printed loss and VSWR, and its S-parameters give the printed
//    phase and input impedance; the CSV holds the printed rows;
//  - circuit data files written by --save-circuit read back through the
//    program's own readers into the very design that was synthesized;
//  - result files are numbered per analysis or synthesis;
//  - a result file never replaces the report file, and rows that are not
//    numbers never reach a Touchstone file.
#include "app/result_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

using cplx = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// Analysis of the shipped lumped file lumped7.lef with Rs = Rl = 50, 50 to 3000 MHz by 50.
const std::string kShippedLumpedAnalysis =
    answer_lines({"1", "1", "2", "", "50", "0", "50", "0", "50", "3000", "50", "", "3"});
// Analysis of the shipped coaxial file coax7.cxf (Rs = Rl = the 49.99-ohm end
// lines, the default losses), 100 to 4000 MHz by 50.
const std::string kShippedCoaxAnalysis =
    answer_lines({"1", "2", "2", "", "", "", "", "100", "4000", "50", "", "3"});
// A 4-section 0.5 dB Chebyshev ladder synthesized at 1000 MHz, 50 ohm, and
// analysed (standard circuit) against the load it was made for, 25.20 ohm,
// 50 to 3000 MHz by 50.
const std::string kEvenChebyshevAnalysis =
    answer_lines({"", "1", "1", "1000", "0.5", "4", "50", "", "1", "", "", "", "", "", "50", "3000",
                  "50", "", "5"});

// ---- the independent reader ------------------------------------------------------

const char* const kPython = "/usr/bin/python3";

struct ScriptRun {
  int status = -1;
  std::string out;
};

// Runs tests/export/check_touchstone.py (or another script of that folder)
// with the arguments (none of them holds a quote) and returns its exit status
// and output.
ScriptRun check_touchstone(const std::vector<std::string>& args, const fs::path& scratch,
                           const std::string& script = "check_touchstone.py") {
  std::string cmd =
      std::string(kPython) + " '" MANDRELIX_SOURCE_DIR "/tests/export/" + script + "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  const fs::path log = scratch / "check.log";
  cmd += " > '" + log.string() + "' 2>&1";
  const int status = std::system(cmd.c_str());
  ScriptRun r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = read_file(log);
  return r;
}

// The number the script prints after `label` ("largest loss deviation 7e-06 dB").
double figure_after(const std::string& out, const std::string& label) {
  const std::size_t at = out.find(label);
  return at == std::string::npos ? std::nan("")
                                 : std::strtod(out.c_str() + at + label.size(), nullptr);
}

// The printed rows as the script's expected CSV: f, loss, VSWR.
void write_expected_csv(const fs::path& p, const std::vector<ReportRow>& rows) {
  std::ostringstream csv;
  csv << "f,loss_db,vswr\n";
  char b[128];
  for (const ReportRow& r : rows) {
    std::snprintf(b, sizeof b, "%.17g,%.17g,%.17g\n", r.f_mhz, r.loss_db, r.vswr);
    csv << b;
  }
  write_file(p, csv.str());
}

// ---- Touchstone file against the printed report ------------------------------------
//
// The report prints the float figures of the sweep rounded: loss to 0.001 dB,
// VSWR, input impedance and phase to 0.01. The file holds S-parameters worked
// in double from the same float chain matrix. So a printed figure and the
// file's figure differ by the rounding, at most half a unit of the last
// printed digit, plus the float rounding of the report's own arithmetic. The
// latter is taken as 5e-7 in a reflection or transmission coefficient (a few
// float roundings of numbers of order 1) and carried to each figure:
//   loss   |d| <= 0.0005 dB + 2e-5 dB (5e-7 relative in |S21|^2 is 2e-6 dB;
//          the stopband rows, down to -60 dB, lose some more digits)
//   VSWR   |d| <= 0.005 + 5e-7 (VSWR+1)^2/2    (dVSWR/d|S11| = (VSWR+1)^2/2)
//   Zin    |d| <= 0.005 + 5e-7 * 2 Rs / |1 - S11|^2 on each part
//   phase  |d| <= 0.005 + 0.001 degree
// VSWR is compared wherever the report did not cap it at 999.99; the script
// applies the report's caps itself and gets one tolerance, the largest of
// the per-row ones, so the rows are held to their own bounds here.
constexpr double kLossTolerance = 0.0005 + 2.0e-5;  // dB
constexpr double kCoefficientSlack = 5.0e-7;
constexpr double kVswrCap = 999.99;

double vswr_tolerance(double vswr) {
  return 0.005 + kCoefficientSlack * (vswr + 1.0) * (vswr + 1.0) / 2.0;
}

struct Largest {
  double loss = 0, vswr = 0, zin = 0, phase = 0;
};

// Runs an analysis with --touchstone and --csv, then compares the file with
// the printed table through scikit-rf and row by row here.
void check_file_against_report(const std::string& what, const std::string& answers, bool version2,
                               double rs_printed, double rl_printed) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.touchstone = dir / "response.s2p";
  options.csv = dir / "response.csv";
  const SessionResult r = run_session(answers, dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "mandrelix: wrote S-parameters " + options.touchstone->string() +
                       "\nmandrelix: wrote sweep " + options.csv->string() + "\n");
  const auto tables = report_tables(r.out);
  ASSERT_EQ(tables.size(), 1u);
  const std::vector<ReportRow>& rows = tables[0];
  ASSERT_GE(rows.size(), 20u);

  const TouchstoneFile ts = read_touchstone(*options.touchstone);
  EXPECT_EQ(ts.version2, version2);
  EXPECT_NEAR(ts.r1, rs_printed, 0.005);  // the references are the printed Rs and Rl
  EXPECT_NEAR(ts.r2, rl_printed, 0.005);
  ASSERT_EQ(ts.points.size(), rows.size()) << "rows were dropped";

  // scikit-rf (or, for a version 2.0 file that Debian's scikit-rf misreads,
  // the script's own reader) against the printed loss and VSWR.
  double script_vswr_tolerance = 0.005;
  for (const ReportRow& row : rows)
    script_vswr_tolerance = std::max(script_vswr_tolerance, vswr_tolerance(row.vswr));
  const fs::path expected = dir / "printed.csv";
  write_expected_csv(expected, rows);
  char tol[64], vtol[64];
  std::snprintf(tol, sizeof tol, "%.6g", kLossTolerance);
  std::snprintf(vtol, sizeof vtol, "%.6g", script_vswr_tolerance);
  std::vector<std::string> args = {options.touchstone->string(), expected.string(), tol,
                                   "--vswr-tolerance", vtol};
  const ScriptRun check = check_touchstone(args, dir.path());
  ASSERT_NE(check.status, 3) << "scikit-rf is missing (Debian package python3-scikit-rf)";
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("compared " + std::to_string(rows.size()) + " frequencies"),
            std::string::npos)
      << check.out;
  if (!version2) {
    EXPECT_NE(check.out.find("with scikit-rf"), std::string::npos) << check.out;
  }
  // Against the program's own CSV, the unrounded figures: what is left is the
  // float arithmetic of the report alone.
  std::snprintf(tol, sizeof tol, "%.6g", kLossTolerance - 0.0005);
  std::snprintf(vtol, sizeof vtol, "%.6g", script_vswr_tolerance - 0.005);
  const ScriptRun unrounded = check_touchstone(
      {options.touchstone->string(), options.csv->string(), tol, "--vswr-tolerance", vtol},
      dir.path());
  EXPECT_EQ(unrounded.status, 0) << unrounded.out;

  // Row by row: VSWR to its own bound, phase of S21, input impedance from S11.
  Largest own;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const ReportRow& row = rows[k];
    const TouchstonePoint& p = ts.points[k];
    ASSERT_EQ(p.f_mhz, row.f_mhz) << what << ": row " << k;
    const std::string at = what + " at " + std::to_string(row.f_mhz) + " MHz";

    const double loss = 10.0 * std::log10(std::norm(p.s21));
    EXPECT_NEAR(loss, row.loss_db, kLossTolerance) << at;
    own.loss = std::max(own.loss, std::fabs(loss - row.loss_db));

    const double g = std::abs(p.s11);
    if (row.vswr < kVswrCap) {
      const double vswr = (1.0 + g) / (1.0 - g);
      EXPECT_NEAR(vswr, row.vswr, vswr_tolerance(row.vswr)) << at;
      own.vswr = std::max(own.vswr, std::fabs(vswr - row.vswr));
    } else {
      EXPECT_GE(g, 0.998) << at << ": capped VSWR for a small reflection";
    }

    double dphase = std::fabs(std::arg(p.s21) * 180.0 / kPi - row.phase_deg);
    dphase = std::min(dphase, 360.0 - dphase);
    EXPECT_LE(dphase, 0.005 + 0.001) << at << ": phase " << row.phase_deg;
    own.phase = std::max(own.phase, dphase);

    const cplx zin = ts.r1 * (1.0 + p.s11) / (1.0 - p.s11);
    const double ztol = 0.005 + kCoefficientSlack * 2.0 * ts.r1 / std::norm(1.0 - p.s11);
    EXPECT_NEAR(zin.real(), row.zin_re, ztol) << at;
    EXPECT_NEAR(zin.imag(), row.zin_im, ztol) << at;
    own.zin =
        std::max({own.zin, std::fabs(zin.real() - row.zin_re), std::fabs(zin.imag() - row.zin_im)});
  }
  std::printf(
      "%s: %zu rows. check_touchstone.py against the printed rows: largest loss deviation "
      "%.3g dB, VSWR %.3g; against the unrounded CSV: loss %.3g dB, VSWR %.3g. Row by row "
      "against the printed rows: loss %.3g dB, uncapped VSWR %.3g, Zin %.3g ohm, phase %.3g "
      "deg\n",
      what.c_str(), rows.size(), figure_after(check.out, "largest loss deviation "),
      figure_after(check.out, "largest VSWR deviation "),
      figure_after(unrounded.out, "largest loss deviation "),
      figure_after(unrounded.out, "largest VSWR deviation "), own.loss, own.vswr, own.zin,
      own.phase);

  // The CSV holds the very figures that were printed: each within half a
  // unit of the printed last digit.
  std::istringstream csv(read_file(*options.csv));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line.rfind("frequency_mhz,zin_re_ohm,zin_im_ohm,vswr,loss_db,phase_deg,delay_ns", 0),
            0u);
  const double half_unit[7] = {0.00005, 0.005, 0.005, 0.005, 0.0005, 0.005, 0.0005};
  for (const ReportRow& row : rows) {
    ASSERT_TRUE(std::getline(csv, line)) << what << ": the CSV is short";
    std::istringstream fields(line);
    const double printed[7] = {row.f_mhz,   row.zin_re,    row.zin_im,  row.vswr,
                               row.loss_db, row.phase_deg, row.delay_ns};
    for (int c = 0; c < 7; ++c) {
      std::string field;
      std::getline(fields, field, ',');
      const double v = std::strtod(field.c_str(), nullptr);
      EXPECT_LE(std::fabs(v - printed[c]), half_unit[c] * (1.0 + 1e-9))
          << what << ": CSV " << line << " against the printed row" << row.text;
    }
  }
  EXPECT_FALSE(std::getline(csv, line)) << what << ": the CSV has more rows than the report";
}

TEST(TouchstoneMatchesReport, ShippedLumpedFileVersion1) {
  check_file_against_report("lumped7.lef, Rs = Rl = 50", kShippedLumpedAnalysis, false, 50.0, 50.0);
}

TEST(TouchstoneMatchesReport, ShippedCoaxialFileVersion1) {
  check_file_against_report("coax7.cxf, Rs = Rl = 49.99", kShippedCoaxAnalysis, false, 49.99,
                            49.99);
}

TEST(TouchstoneMatchesReport, EvenChebyshevAgainstItsLoadVersion2) {
  check_file_against_report("4-section 0.5 dB Chebyshev, Rs 50, Rl 25.20", kEvenChebyshevAnalysis,
                            true, 50.0, 25.20);
}

// --reference-ohm: the shipped coaxial filter (Rs = Rl = its 49.99-ohm end
// lines) referred to 50 ohm. The Touchstone file is the default one
// renormalised by scikit-rf; the CSV keeps its columns and values but for
// s21_db and ends in s11_db; the plot says what it is referred to.
TEST(ReferenceImpedance, FilesReferredToFiftyOhm) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions plain, referred;
  plain.touchstone = dir / "plain.s2p";
  plain.csv = dir / "plain.csv";
  referred.touchstone = dir / "fifty.s2p";
  referred.csv = dir / "fifty.csv";
  referred.plot = dir / "fifty.svg";
  referred.reference_ohm = 50.0;
  ASSERT_EQ(run_session(kShippedCoaxAnalysis, dir.path(), plain).status, 0);
  const SessionResult r = run_session(kShippedCoaxAnalysis, dir.path(), referred);
  ASSERT_EQ(r.status, 0) << r.err;

  const std::string ts = read_file(*referred.touchstone);
  EXPECT_NE(ts.find("\n# MHz S RI R 50\n"), std::string::npos) << ts.substr(0, 600);
  const ScriptRun check =
      check_touchstone({plain.touchstone->string(), referred.touchstone->string(), "50", "1e-7"},
                       dir.path(), "check_reference.py");
  ASSERT_NE(check.status, 3) << "scikit-rf is missing (Debian package python3-scikit-rf)";
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("compared 79 frequencies"), std::string::npos) << check.out;
  std::printf("%s", check.out.c_str());

  std::istringstream a(read_file(*plain.csv)), b(read_file(*referred.csv));
  std::string la, lb;
  std::size_t rows = 0, s21_moved = 0;
  while (std::getline(a, la)) {
    ASSERT_TRUE(std::getline(b, lb));
    const std::size_t cut = la.rfind(',');
    if (rows++ == 0) {
      EXPECT_EQ(lb, la + ",s11_db");
      continue;
    }
    // Every column before s21_db as it was.
    EXPECT_EQ(lb.substr(0, cut + 1), la.substr(0, cut + 1)) << lb;
    const std::string rest = lb.substr(cut + 1);
    const std::size_t comma = rest.find(',');
    ASSERT_NE(comma, std::string::npos) << lb;
    if (rest.substr(0, comma) != la.substr(cut + 1)) ++s21_moved;
    EXPECT_LT(std::strtod(rest.c_str() + comma + 1, nullptr), 0.0) << lb;  // |S11| < 1
  }
  EXPECT_FALSE(std::getline(b, lb));
  EXPECT_EQ(rows, 80u);
  EXPECT_GT(s21_moved, 0u) << "49.99 and 50 ohm give the same |S21| everywhere";
  EXPECT_NE(read_file(*referred.plot).find("S referred to 50 \u03a9"), std::string::npos);
}

// ---- numbering ----------------------------------------------------------------

TEST(ResultFileNumbering, KthNameHasKBeforeTheExtension) {
  using mx::numbered_name;
  EXPECT_EQ(numbered_name("resp.s2p", 1), fs::path("resp.s2p"));
  EXPECT_EQ(numbered_name("resp.s2p", 2), fs::path("resp-2.s2p"));
  EXPECT_EQ(numbered_name("resp.s2p", 12), fs::path("resp-12.s2p"));
  EXPECT_EQ(numbered_name("resp", 3), fs::path("resp-3"));
  EXPECT_EQ(numbered_name("out/resp.s2p", 2), fs::path("out/resp-2.s2p"));
  EXPECT_EQ(numbered_name("/tmp/a.b/resp", 2), fs::path("/tmp/a.b/resp-2"));
  EXPECT_EQ(numbered_name("sweep.v1.csv", 2), fs::path("sweep.v1-2.csv"));
}

TEST(ResultFileNumbering, EveryAnalysisAndSynthesisGetsItsOwnFile) {
  TempDir dir;
  install_shipped_files(dir.path());
  fs::create_directory(dir / "out");
  mx::RunOptions options;
  options.touchstone = dir / "out" / "resp.s2p";
  options.csv = dir / "out" / "sweep";  // no extension
  options.save_circuit = dir / "out" / "filter.lef";
  // Synthesis, its analysis, the analysis again at other frequencies, a second synthesis.
  const SessionResult r =
      run_session(answer_lines({"", "1", "1", "",    "",     "",    "", "",  "1",   "",    "",
                                "", "",  "",  "500", "1500", "500", "", "1", "900", "900", "1",
                                "", "2", "",  "1",   "1",    "",    "", "5", "",    "",    "4"}),
                  dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  const fs::path out = dir / "out";
  for (const char* name :
       {"resp.s2p", "resp-2.s2p", "sweep", "sweep-2", "filter.lef", "filter-2.lef"})
    EXPECT_TRUE(fs::exists(out / name)) << name << "\n" << r.err;
  EXPECT_FALSE(fs::exists(out / "resp-3.s2p"));
  EXPECT_FALSE(fs::exists(out / "filter-3.lef"));
  // In the order of the run, each named once on the error stream.
  const std::string o = out.string() + "/";
  EXPECT_EQ(r.err, "mandrelix: wrote lumped circuit " + o + "filter.lef\n" +
                       "mandrelix: wrote S-parameters " + o + "resp.s2p\n" +
                       "mandrelix: wrote sweep " + o + "sweep\n" +
                       "mandrelix: wrote S-parameters " + o + "resp-2.s2p\n" +
                       "mandrelix: wrote sweep " + o + "sweep-2\n" +
                       "mandrelix: wrote lumped circuit " + o + "filter-2.lef\n");
  // The second analysis is the one at 900 MHz only; the second synthesis has 5 sections.
  EXPECT_EQ(read_touchstone(out / "resp-2.s2p").points.size(), 1u);
  EXPECT_EQ(read_touchstone(out / "resp.s2p").points.size(), 3u);
  EXPECT_NE(read_file(out / "filter-2.lef").find("5-section"), std::string::npos);
}

// ---- circuit data files read back ------------------------------------------------

// The rows of an analysis table as printed.
std::vector<std::string> row_texts(const std::vector<ReportRow>& rows) {
  std::vector<std::string> t;
  for (const ReportRow& r : rows) t.push_back(r.text);
  return t;
}

// Synthesizes and analyses the design (the answers), saving the circuit
// data file of every synthesis, then analyses the saved file `analysed` with
// the same ports and frequencies in a second run: the rows printed must be
// the same, character for character.
void check_saved_lumped_circuit(const std::string& synthesis_and_analysis, const char* analysed,
                                const std::string& ports_and_frequencies,
                                const char* expected_title, const char* expected_configuration) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.save_circuit = dir / "saved.lef";
  const SessionResult made = run_session(synthesis_and_analysis, dir.path(), options);
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string file = read_file(dir / analysed);
  EXPECT_EQ(file.rfind(expected_title, 0), 0u) << file;
  EXPECT_EQ(file.substr(file.find('\n') + 1, 1), expected_configuration) << file;

  const SessionResult read = run_session(
      "1\n1\n2\n" + std::string(analysed) + "\n" + ports_and_frequencies + "\n3\n", dir.path());
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("Attempting to read User Data File: " + std::string(analysed)),
            std::string::npos);
  const auto synthesized = report_tables(made.out);
  const auto from_file = report_tables(read.out);
  ASSERT_FALSE(synthesized.empty());
  ASSERT_EQ(from_file.size(), 1u);
  EXPECT_GE(from_file[0].size(), 20u);
  EXPECT_EQ(row_texts(from_file[0]), row_texts(synthesized.back()));
}

TEST(SavedCircuitReadsBack, StandardChebyshev7AnalysesLikeTheSynthesizedDesign) {
  check_saved_lumped_circuit(answer_lines({"", "1", "1", "1000", "0.1", "7", "50", "", "1", "",
                                           "50", "0", "50", "0", "50", "3000", "50", "", "5"}),
                             "saved.lef", "50\n0\n50\n0\n50\n3000\n50\n",
                             "7-section Chebyshev 0.1 dB low-pass", "1");
}

// The synthesis does not ask for the configuration; the circuit saved is the
// one chosen last, so a dual analysis before the synthesis makes a dual file.
TEST(SavedCircuitReadsBack, DualChebyshev6AnalysesLikeTheSynthesizedDesign) {
  check_saved_lumped_circuit(
      answer_lines({"",  "1",     "1",    "1000", "0.1",  "3",    "50", "",  "1", "2",
                    "",  "",      "",     "",     "1000", "1000", "1",  "",  "2", "",
                    "1", "1",     "1000", "0.5",  "6",    "50",   "",   "1", "2", "50",
                    "3", "99.21", "-2",   "25",   "2500", "25",   "",   "5"}),
      "saved-2.lef", "50\n3\n99.21\n-2\n25\n2500\n25\n", "6-section Chebyshev 0.5 dB low-pass",
      "2");
}

// One row of a printed model table: the label and the printed columns.
struct ModelRow {
  std::string label;
  std::vector<std::string> columns;
};

// The rows of the line table that follows the heading "Number     Inner  Outer".
std::vector<ModelRow> model_table(const std::string& out) {
  std::vector<ModelRow> rows;
  std::istringstream in(out.substr(out.find("Number     Inner  Outer")));
  std::string line;
  std::getline(in, line);  // the heading
  std::getline(in, line);  // the rule
  while (std::getline(in, line) && line.find("-----") == std::string::npos &&
         line.find("Total length") == std::string::npos) {
    std::istringstream fields(line);
    ModelRow row;
    fields >> row.label;
    for (std::string f; fields >> f;) row.columns.push_back(f);
    rows.push_back(row);
  }
  return rows;
}

TEST(SavedCircuitReadsBack, CoaxialSynthesisModelEqualsTheDimensionReport) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.save_circuit = dir / "worked.cxf";
  // The worked example: every default of a distributed synthesis.
  const SessionResult made =
      run_session(read_file(fs::path(MANDRELIX_SOURCE_DIR) /
                            "tests/transcripts/dist_worked_example_n7/answers.txt"),
                  dir.path(), options);
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.err, "mandrelix: wrote coaxial circuit " + options.save_circuit->string() + "\n");

  const SessionResult read = run_session(
      answer_lines({"1", "2", "2", "worked.cxf", "", "", "", "1000", "1000", "1", "", "3"}),
      dir.path());
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("Attempting to read User Data File: worked.cxf"), std::string::npos);

  const std::vector<ModelRow> dimensions = model_table(made.out);
  const std::vector<ModelRow> model = model_table(read.out);
  ASSERT_EQ(dimensions.size(), 9u);  // source, 7 sections, load
  ASSERT_EQ(model.size(), dimensions.size());
  for (std::size_t k = 0; k < model.size(); ++k) {
    EXPECT_EQ(model[k].label, dimensions[k].label);
    // Inner, outer, Er, Zo, TE11 cutoff, peak power and, for a section, length.
    EXPECT_EQ(model[k].columns, dimensions[k].columns) << "row " << dimensions[k].label;
    EXPECT_EQ(model[k].columns.size(), k == 0 || k == 8 ? 6u : 7u);
  }
}

// ---- bad use ---------------------------------------------------------------------

TEST(ResultFilesBadUse, TouchstoneNamedLikeTheReportFileIsRefused) {
  const std::string answers =
      answer_lines({"1", "1", "2", "", "", "", "", "", "500", "1500", "250", "1", "ana.txt", "3"});
  TempDir plain, asked;
  install_shipped_files(plain.path());
  install_shipped_files(asked.path());
  const SessionResult without = run_session(answers, plain.path());
  ASSERT_EQ(without.status, 0);

  mx::RunOptions options;
  options.touchstone = asked / "." / "ana.txt";  // the report file, spelled otherwise
  options.csv = asked / "ana.csv";
  const SessionResult r = run_session(answers, asked.path(), options);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, without.out);
  EXPECT_EQ(read_file(asked / "ana.txt"), read_file(plain / "ana.txt"));  // the report, intact
  EXPECT_EQ(count_of(r.err, "\n"), 2u) << r.err;
  EXPECT_NE(r.err.find("mandrelix: not written: \"" + options.touchstone->string() +
                       "\" is the report file\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("mandrelix: wrote sweep"), std::string::npos) << r.err;  // the others are
}

// The other way round: a report file named like a result file written in an
// earlier cycle would replace it.
TEST(ResultFilesBadUse, ReportFileNamedLikeAnEarlierResultFileIsRefused) {
  // An analysis, then the same at 900 MHz with the report stored in r.s2p.
  const std::string answers =
      answer_lines({"1",   "1", "2", "",    "",    "",  "",  "",      "500",     "1500",
                    "250", "",  "1", "900", "900", "1", "1", "r.s2p", "rep.txt", "3"});
  const std::string refused =
      "file error: the report file \"r.s2p\" would replace a result file written before";
  for (const bool interactive : {false, true}) {
    SCOPED_TRACE(interactive ? "a person at a terminal" : "answers from a file");
    TempDir dir;
    install_shipped_files(dir.path());
    mx::RunOptions options;
    options.touchstone = dir / "r.s2p";
    options.interactive = interactive;
    const SessionResult r = run_session(answers, dir.path(), options);
    EXPECT_EQ(read_touchstone(dir / "r.s2p").points.size(), 5u);  // the first analysis, intact
    if (!interactive) {
      // The run ends there, as for a report file that cannot be opened.
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(r.err, "mandrelix: wrote S-parameters " + options.touchstone->string() + "\n" +
                           refused + "\n");
      EXPECT_FALSE(fs::exists(dir / "rep.txt"));
    } else {
      // One line, and the question for another name.
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_NE(r.out.find("      " + refused +
                           "; please give another name.\n"
                           "           Enter your FILENAME for Output Data Storage: "),
                std::string::npos)
          << r.out;
      EXPECT_NE(read_file(dir / "rep.txt").find("900.0000"), std::string::npos);
      EXPECT_EQ(read_touchstone(dir / "r-2.s2p").points.size(), 1u);
    }
  }
}

TEST(ResultFilesBadUse, RowsThatAreNotNumbersStayOutOfTheTouchstoneFile) {
  TempDir dir;
  install_shipped_files(dir.path());
  mx::RunOptions options;
  options.touchstone = dir / "high.s2p";
  options.csv = dir / "high.csv";
  // The shipped coaxial filter far above its TE11 cutoff (about 8 GHz): the
  // step model gives no number from 30 GHz up.
  const SessionResult r = run_session(
      answer_lines({"1", "2", "2", "", "", "", "", "10000", "200000", "10000", "", "3"}),
      dir.path(), options);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto tables = report_tables(r.out);
  ASSERT_EQ(tables.size(), 1u);
  const std::vector<ReportRow>& rows = tables[0];
  ASSERT_EQ(rows.size(), 20u);
  std::size_t nan_rows = 0;
  for (const ReportRow& row : rows) nan_rows += std::isnan(row.loss_db) ? 1 : 0;
  ASSERT_GT(nan_rows, 0u) << "no NaN rows: the case no longer shows what it is for";
  ASSERT_LT(nan_rows, rows.size());

  const TouchstoneFile ts = read_touchstone(*options.touchstone);
  EXPECT_EQ(ts.points.size(), rows.size() - nan_rows);
  for (const TouchstonePoint& p : ts.points)
    for (const cplx& s : {p.s11, p.s21, p.s12, p.s22})
      EXPECT_TRUE(std::isfinite(s.real()) && std::isfinite(s.imag())) << p.f_mhz << " MHz";
  const std::string note =
      " " + std::to_string(nan_rows) + " rows dropped: S-parameters not finite";
  EXPECT_NE(std::find(ts.comments.begin(), ts.comments.end(), note), ts.comments.end())
      << read_file(*options.touchstone);

  // The CSV keeps every row, nan where the report printed NaN.
  const std::string csv = read_file(*options.csv);
  EXPECT_EQ(count_of(csv, "\n"), rows.size() + 1);
  EXPECT_EQ(count_of(csv, ",nan,nan,nan,nan,nan,nan,nan,nan\n"), nan_rows) << csv;

  // scikit-rf reads the file, and its rows agree with the printed ones.
  const fs::path expected = dir / "printed.csv";
  write_expected_csv(expected, rows);
  const ScriptRun check = check_touchstone(
      {options.touchstone->string(), expected.string(), "0.00052", "--vswr-tolerance", "0.3"},
      dir.path());
  ASSERT_NE(check.status, 3) << "scikit-rf is missing (Debian package python3-scikit-rf)";
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("with scikit-rf"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("compared " + std::to_string(rows.size() - nan_rows) + " frequencies; " +
                           std::to_string(nan_rows) + " expected rows have no row in the file"),
            std::string::npos)
      << check.out;
}

}  // namespace
}  // namespace mxtest
