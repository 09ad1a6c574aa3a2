// Where a cycle's report goes: every record to the console, and the records
// marked for the file also to the report file when storage is on.
#pragma once

#include <initializer_list>

#include "base/name20.h"
#include "base/text_out.h"

namespace mx {

class Report {
 public:
  // file may be null (no report file connected); store: the cycle stores its report.
  Report(TextOut& console, TextOut* file, bool store)
      : console_(console), file_(store ? file : nullptr) {}

  // Console and file.
  void both(const Format& f, std::initializer_list<Value> values = {});
  // Records rendered elsewhere, to console and file.
  void both_text(std::string_view text);
  // Console only.
  void console(const Format& f, std::initializer_list<Value> values = {});
  TextOut& console_out() { return console_; }
  bool storing() const { return file_ != nullptr; }

  // The closing lines of a finished report: the rule, and when stored the
  // storage confirmation (console and file).
  void close(const Name20& fno);

 private:
  TextOut& console_;
  TextOut* file_;
};

}  // namespace mx
