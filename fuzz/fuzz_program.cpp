// The whole program in-process: the fuzz input is the console input, one
// answer a line; the end of the input ends the run. Every input runs in a
// fresh working folder holding the shipped defaults and circuit files.
//
// Checks: the exit status is 0, 1 or 2; a normal end leaves the error stream
// empty, a stop leaves at most one line there; with printable answers the
// console output is printable text; every file the run wrote is a report
// whose lines appear, in order, on the console.
//
// Two things are the harness's own:
// - A slash in the answers becomes an underscore. File names are taken as
//   typed, so "/etc/x" or "../x" would reach outside the working folder; the
//   folder is the fuzzer's sandbox.
// - The console output is limited to kOutputLimit bytes. An analysis sweep
//   asks for as many rows as the frequency range and step give (a step of
//   1e-30 MHz asks for about 2^31 rows, every one of them legitimate output),
//   so the limit ends such a run like an input error would, in bounded time.
#include <cstddef>
#include <cstdint>
#include <ios>
#include <set>
#include <sstream>
#include <string>

#include "app/program.h"
#include "base/clock.h"
#include "fuzz_support.h"

namespace {

constexpr std::size_t kOutputLimit = 256 * 1024;
constexpr std::size_t kInputLimit = 64 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mxfuzz;
  if (size > kInputLimit) return -1;
  std::string answers(reinterpret_cast<const char*>(data), size);
  for (char& c : answers)
    if (c == '/') c = '_';
  // Answers made of text characters only (CR LF line ends allowed).
  bool text_answers = true;
  for (char c : answers) {
    const auto u = static_cast<unsigned char>(c);
    if (c != '\n' && c != '\r' && (u < 0x20 || u > 0x7e)) text_answers = false;
  }

  Sandbox box;
  box.install_shipped();

  std::istringstream in(answers);
  BoundedSink sink(kOutputLimit);
  std::ostream out(&sink);
  out.exceptions(std::ios::badbit);
  std::ostringstream err;
  const mx::FixedClock clock(mx::LocalTime{7, 9, 2026, 9, 5, 3});

  int status = -1;
  try {
    status = mx::run_program(in, out, err, clock, box.path());
  } catch (const std::ios_base::failure&) {
    // The console stream is bad once the output limit was hit, and with badbit
    // in its exception mask the program's closing flush throws again.
    if (!sink.cut()) throw;
    return 0;
  }

  if (status < 0 || status > 2) fail("exit status " + std::to_string(status));
  if (sink.cut()) {
    if (status != 2) fail("output limit reached but status " + std::to_string(status));
    return 0;
  }
  const std::string& console = sink.text();
  const std::string error_text = err.str();
  if (status == 0 && !error_text.empty()) fail("normal end with an error message: " + error_text);
  if (status == 2 && (error_text.empty() || error_text.back() != '\n' ||
                      error_text.find('\n') != error_text.size() - 1))
    fail("a stop must leave exactly one line on the error stream: " + error_text);
  // File names are shown as typed, bytes above 127 included (a UTF-8 name
  // reads as the user typed it); control characters must not get through.
  for (char c : error_text) {
    const auto u = static_cast<unsigned char>(c);
    if (c != '\n' && (u < 0x20 || u == 0x7f)) fail("error message with control characters");
  }
  // Text echoed from the answers (file names) is the only way another byte
  // can reach the console, and carriage returns end a line in the answers.
  bool cr_inside = false;
  for (std::size_t i = 0; i < answers.size(); ++i)
    if (answers[i] == '\r' && i + 1 < answers.size() && answers[i + 1] != '\n') cr_inside = true;
  if (text_answers && !cr_inside && !printable_text(console))
    fail("console output with control characters");

  std::set<std::string> shipped;
  for (const ShippedFile& f : shipped_files()) shipped.insert(f.name);
  for (const auto& e : fs::directory_iterator(box.path())) {
    if (!e.is_regular_file()) continue;
    const std::string name = e.path().filename().string();
    const std::string text = slurp(e.path());
    if (shipped.count(name)) {
      bool same = false;
      for (const ShippedFile& f : shipped_files())
        if (f.name == name && f.text == text) same = true;
      if (same) continue;
    }
    if (!text.empty() && text.back() != '\n') fail("report file " + name + " ends inside a line");
    if (!lines_in_order(text, console))
      fail("report file " + name + " holds lines that the console did not show");
  }
  return 0;
}
