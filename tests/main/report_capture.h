// Test helpers for the report printers: a report whose console and file are
// kept in memory, and the blank and hyphen runs the layouts are made of.
#pragma once

#include <sstream>
#include <string>

#include "main/report.h"

namespace mx::test_support {

inline std::string sp(int k) { return std::string(static_cast<std::size_t>(k), ' '); }
inline std::string dashes(int k) { return std::string(static_cast<std::size_t>(k), '-'); }

// Storage on (under REPORT.TXT in the tests) unless store is false.
struct Capture {
  explicit Capture(bool store = true) : report(console, &file, store) {}
  std::ostringstream console_text, file_text;
  TextOut console{console_text}, file{file_text};
  Report report;
};

// The closing lines of a report stored under REPORT.TXT.
inline const std::string kStoredClosing =
    sp(6) + dashes(72) + "\n" + "      Output Data stored in User Filename: REPORT.TXT          \n";

}  // namespace mx::test_support
