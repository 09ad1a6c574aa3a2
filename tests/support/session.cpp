#include "session.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/program.h"

namespace mxtest {

std::string answer_lines(const std::vector<std::string>& answers) {
  std::string s;
  for (const std::string& a : answers) (s += a) += '\n';
  return s;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = fs::temp_directory_path() /
          ("mandrelix-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

mx::LocalTime test_time() { return {7, 9, 2026, 9, 5, 3}; }

SessionResult run_session(const std::string& answers, const fs::path& dir, mx::LocalTime t) {
  return run_session(answers, dir, mx::RunOptions{}, t);
}

SessionResult run_session(const std::string& answers, const fs::path& dir,
                          const mx::RunOptions& options, mx::LocalTime t) {
  std::istringstream in(answers);
  std::ostringstream out, err;
  const mx::FixedClock clock(t);
  SessionResult r;
  r.status = mx::run_program(in, out, err, clock, dir, options);
  r.out = out.str();
  r.err = err.str();
  return r;
}

fs::path shipped_data_dir() { return fs::path(MANDRELIX_SOURCE_DIR) / "data"; }

void install_shipped_files(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(shipped_data_dir()))
    fs::copy_file(entry.path(), dir / entry.path().filename(),
                  fs::copy_options::overwrite_existing);
}

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The number a printed field shows; NaN for "NaN", asterisks and the like.
double field_value(const std::string& field) {
  char* end = nullptr;
  const double v = std::strtod(field.c_str(), &end);
  return end == field.c_str() + field.size() ? v : std::nan("");
}

}  // namespace

std::vector<std::vector<ReportRow>> report_tables(const std::string& out) {
  const std::string rule = std::string(10, ' ') + std::string(65, '-');
  std::vector<std::vector<ReportRow>> tables;
  std::vector<ReportRow>* table = nullptr;
  for (const std::string& line : lines_of(out)) {
    if (line == rule) {
      table = &tables.emplace_back();
      continue;
    }
    if (!table) continue;
    if (line.find("------") != std::string::npos) {
      table = nullptr;
      continue;
    }
    std::istringstream fields(line);
    std::vector<double> v;
    for (std::string f; fields >> f;) v.push_back(field_value(f));
    if (v.size() != 7) throw std::runtime_error("not a row of 7 fields: " + line);
    table->push_back({line, v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
  }
  return tables;
}

TouchstoneFile read_touchstone(const fs::path& p) {
  TouchstoneFile t;
  bool option_seen = false;
  for (std::string line : lines_of(read_file(p))) {
    const std::size_t bang = line.find('!');
    if (bang != std::string::npos) {
      t.comments.push_back(line.substr(bang + 1));
      line.erase(bang);
    }
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    std::istringstream in(line);
    if (line[0] == '#') {
      std::string hash, unit, param, format, r;
      in >> hash >> unit >> param >> format >> r >> t.r1;
      if (unit != "MHz" || param != "S" || format != "RI" || r != "R" || !in)
        throw std::runtime_error(p.string() + ": option line " + line);
      t.r2 = t.r1;
      option_seen = true;
    } else if (line[0] == '[') {
      if (line.rfind("[Version] 2.0", 0) == 0) t.version2 = true;
      // Rows are read as f S11 S21 S12 S22, the order of a version 1 file.
      if (line.rfind("[Two-Port Data Order]", 0) == 0 && line.find("21_12") == std::string::npos)
        throw std::runtime_error(p.string() + ": data order " + line);
      if (line.rfind("[Reference]", 0) == 0) {
        std::string keyword;
        in >> keyword >> t.r1 >> t.r2;
      }
    } else {
      double v[9];
      for (double& x : v) in >> x;
      std::string rest;
      if (!in || (in >> rest) || !option_seen)
        throw std::runtime_error(p.string() + ": not a data row: " + line);
      t.points.push_back({v[0], {v[1], v[2]}, {v[3], v[4]}, {v[5], v[6]}, {v[7], v[8]}});
    }
  }
  if (!option_seen) throw std::runtime_error(p.string() + ": no option line");
  return t;
}

std::string read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + p.string());
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void write_file(const fs::path& p, const std::string& text) {
  std::ofstream f(p, std::ios::binary);
  f << text;
  if (!f) throw std::runtime_error("cannot write " + p.string());
}

}  // namespace mxtest
