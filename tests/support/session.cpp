#include "session.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "app/program.h"

namespace mxtest {

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
  std::istringstream in(answers);
  std::ostringstream out, err;
  const mx::FixedClock clock(t);
  SessionResult r;
  r.status = mx::run_program(in, out, err, clock, dir);
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
