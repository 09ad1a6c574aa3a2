// Test helpers for the report printers: a report whose console and file are
// kept in memory, the blank and hyphen runs the layouts are made of, and the
// title labels the program sets before a report.
#pragma once

#include <sstream>
#include <string>

#include "model/design_record.h"
#include "report/report.h"

namespace mx::test_support {

inline std::string sp(int k) { return std::string(static_cast<std::size_t>(k), ' '); }
inline std::string dashes(int k) { return std::string(static_cast<std::size_t>(k), '-'); }

// Text padded or cut to exactly width characters.
inline std::string padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// The title labels of a low-pass design with the given response label.
inline void set_labels(DesignRecord& ds, const char* response) {
  ds.labels.design = "Low Pass ";
  ds.labels.response = padded(response, 20);
}

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
