// Whole-program transcripts: each folder under tests/transcripts holds
//   answers.txt   the console input, one answer a line
//   setup/        files put into the working folder besides the shipped ones (optional)
//   remove.txt    shipped files to take away before the run (optional)
//   stdout.txt    the exact console output
//   stderr.txt    the exact error output (optional: empty when absent)
//   status.txt    the exit status
//   files/        every file the run must leave besides the input files, byte for byte
// Run with MANDRELIX_REGENERATE=1 to rewrite the expectations from the program
// (then read the differences before committing them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace mxtest {
namespace {

fs::path transcripts_dir() { return fs::path(MANDRELIX_SOURCE_DIR) / "tests" / "transcripts"; }

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(transcripts_dir()))
    if (e.is_directory()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_or_empty(const fs::path& p) { return fs::exists(p) ? read_file(p) : ""; }

class Transcript : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcript, MatchesByteForByte) {
  const fs::path dir = transcripts_dir() / GetParam();
  TempDir work;
  install_shipped_files(work.path());
  std::set<std::string> inputs;
  for (const auto& e : fs::directory_iterator(shipped_data_dir()))
    inputs.insert(e.path().filename().string());
  if (fs::exists(dir / "setup")) {
    for (const auto& e : fs::directory_iterator(dir / "setup")) {
      fs::copy_file(e.path(), work / e.path().filename().string(),
                    fs::copy_options::overwrite_existing);
      inputs.insert(e.path().filename().string());
    }
  }
  // remove.txt names shipped files the case takes away, one a line.
  if (fs::exists(dir / "remove.txt")) {
    std::istringstream names(read_file(dir / "remove.txt"));
    for (std::string name; std::getline(names, name);) {
      if (name.empty()) continue;
      fs::remove(work / name);
      inputs.erase(name);
    }
  }

  const SessionResult r = run_session(read_file(dir / "answers.txt"), work.path());

  std::vector<std::pair<std::string, std::string>> written;
  for (const auto& e : fs::directory_iterator(work.path())) {
    const std::string name = e.path().filename().string();
    if (!inputs.count(name) ||
        read_file(e.path()) != read_or_empty(fs::exists(dir / "setup" / name)
                                                 ? dir / "setup" / name
                                                 : shipped_data_dir() / name))
      written.emplace_back(name, read_file(e.path()));
  }
  std::sort(written.begin(), written.end());

  if (std::getenv("MANDRELIX_REGENERATE")) {
    write_file(dir / "stdout.txt", r.out);
    if (r.err.empty())
      fs::remove(dir / "stderr.txt");
    else
      write_file(dir / "stderr.txt", r.err);
    write_file(dir / "status.txt", std::to_string(r.status) + "\n");
    fs::remove_all(dir / "files");
    if (!written.empty()) fs::create_directories(dir / "files");
    for (const auto& [name, text] : written) write_file(dir / "files" / name, text);
    GTEST_SKIP() << "expectations rewritten";
  }

  EXPECT_EQ(r.out, read_file(dir / "stdout.txt"));
  EXPECT_EQ(r.err, read_or_empty(dir / "stderr.txt"));
  EXPECT_EQ(std::to_string(r.status) + "\n", read_file(dir / "status.txt"));
  std::vector<std::pair<std::string, std::string>> expected;
  if (fs::exists(dir / "files"))
    for (const auto& e : fs::directory_iterator(dir / "files"))
      expected.emplace_back(e.path().filename().string(), read_file(e.path()));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(written, expected);
}

INSTANTIATE_TEST_SUITE_P(All, Transcript, ::testing::ValuesIn(case_names()), [](const auto& info) {
  std::string n = info.param;
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

}  // namespace
}  // namespace mxtest
