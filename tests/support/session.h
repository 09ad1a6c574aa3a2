// Test helpers: temporary working folders and whole in-process runs.
#pragma once

#include <filesystem>
#include <string>

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

// The shipped folder of sample files (Mandrelix.DEF and the circuit files).
fs::path shipped_data_dir();
// Copies the shipped sample files into dir.
void install_shipped_files(const fs::path& dir);

std::string read_file(const fs::path& p);
void write_file(const fs::path& p, const std::string& text);

}  // namespace mxtest
