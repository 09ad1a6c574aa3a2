// Shared pieces of the fuzz targets: a private working folder per input, the
// shipped sample files, an output sink with a size limit and a few checks.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_exit.h"

namespace mxfuzz {

namespace fs = std::filesystem;

// Stops the process so that libFuzzer records the input as a crash.
[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void spit(const fs::path& p, std::string_view text) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!f) fail("cannot write " + p.string());
}

// The sample files the program ships (defaults file and circuit files), read
// once and written into every fresh working folder.
struct ShippedFile {
  std::string name;
  std::string text;
};

inline const std::vector<ShippedFile>& shipped_files() {
  static const std::vector<ShippedFile> files = [] {
    std::vector<ShippedFile> v;
    for (const auto& e : fs::directory_iterator(fs::path(MANDRELIX_SOURCE_DIR) / "data"))
      v.push_back({e.path().filename().string(), slurp(e.path())});
    if (v.empty()) fail("no shipped files found");
    return v;
  }();
  return files;
}

// A fresh, empty working folder, removed with its content at the end.
class Sandbox {
 public:
  Sandbox() {
    static unsigned counter = 0;
    path_ = fs::temp_directory_path() /
            ("mandrelix-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::error_code ec;
    fs::remove_all(path_, ec);
    fs::create_directories(path_);
  }
  ~Sandbox() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const fs::path& path() const { return path_; }
  void install_shipped() const {
    for (const ShippedFile& f : shipped_files()) spit(path_ / f.name, f.text);
  }

 private:
  fs::path path_;
};

// Console output kept in memory up to a limit. The first write past the limit
// ends the run the way an input error does (ProgramExit with status 2); the
// owning ostream must have badbit in its exception mask so that the exception
// leaves the stream. Later writes are dropped.
class BoundedSink : public std::streambuf {
 public:
  explicit BoundedSink(std::size_t limit) : limit_(limit) {}
  const std::string& text() const { return text_; }
  bool cut() const { return cut_; }

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    xsputn(&c, 1);
    return ch;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (cut_) return n;
    const std::size_t room = limit_ - text_.size();
    if (static_cast<std::size_t>(n) <= room) {
      text_.append(s, static_cast<std::size_t>(n));
      return n;
    }
    text_.append(s, room);
    cut_ = true;
    throw mx::ProgramExit{2, "fuzz harness: console output limit reached"};
  }

 private:
  std::size_t limit_;
  std::string text_;
  bool cut_ = false;
};

inline bool printable_text(std::string_view s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c != '\n' && (u < 0x20 || u > 0x7e)) return false;
  }
  return true;
}

inline std::vector<std::string_view> split_lines(std::string_view s) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < s.size()) {
    const std::size_t nl = s.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.push_back(s.substr(start));
      break;
    }
    lines.push_back(s.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

// True when every line of part occurs among the lines of whole, in order.
// A report file holds copies of console report lines, so it passes this
// test against the console output of the same run.
inline bool lines_in_order(std::string_view part, std::string_view whole) {
  const auto p = split_lines(part);
  const auto w = split_lines(whole);
  std::size_t j = 0;
  for (std::string_view line : p) {
    while (j < w.size() && w[j] != line) ++j;
    if (j == w.size()) return false;
    ++j;
  }
  return true;
}

}  // namespace mxfuzz
