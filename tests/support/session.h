// Test helpers: temporary working folders and whole in-process runs.
#pragma once

#include <complex>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "base/clock.h"

namespace mxtest {

namespace fs = std::filesystem;

// A fresh folder under the system temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// The answers as the dialog reads them, one a line.
std::string answer_lines(const std::vector<std::string>& answers);

struct SessionResult {
  int status = -1;
  std::string out;
  std::string err;
};

// The clock all transcripts use: 9 July 2026, 9:05:03.
mx::LocalTime test_time();

// Runs the program with the given answers (one per line) in dir.
SessionResult run_session(const std::string& answers, const fs::path& dir,
                          mx::LocalTime t = test_time());
// The same with command-line options (result file names as given: relative
// ones are relative to the test's current folder, so tests pass absolute ones).
SessionResult run_session(const std::string& answers, const fs::path& dir,
                          const mx::RunOptions& options, mx::LocalTime t = test_time());

// The shipped folder of sample files (Mandrelix.DEF and the circuit files).
fs::path shipped_data_dir();
// Copies the shipped sample files into dir.
void install_shipped_files(const fs::path& dir);

// One row of a printed analysis table, as printed and as numbers (NaN for
// a field that does not read as a number).
struct ReportRow {
  std::string text;
  double f_mhz, zin_re, zin_im, vswr, loss_db, phase_deg, delay_ns;
};
// The rows of every analysis table in the console text, one list per table:
// the lines after the table's dashed rule up to the closing rule.
std::vector<std::vector<ReportRow>> report_tables(const std::string& out);

// A two-port Touchstone file as the program writes it (RI format, MHz),
// read by the tests' own simple reader.
struct TouchstonePoint {
  double f_mhz;
  std::complex<double> s11, s21, s12, s22;
};
struct TouchstoneFile {
  bool version2 = false;
  double r1 = 0, r2 = 0;              // reference resistances of port 1 and port 2
  std::vector<std::string> comments;  // the text after each '!'
  std::vector<TouchstonePoint> points;
};
// Throws std::runtime_error for a file that is not of that form.
TouchstoneFile read_touchstone(const fs::path& p);

std::string read_file(const fs::path& p);
void write_file(const fs::path& p, const std::string& text);

}  // namespace mxtest
