// A destination of text records (the console or the report file). Every write
// goes through a FORMAT; a prompt leaves its line open for the answer.
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

#include "base/format.h"

namespace mx {

class TextOut {
 public:
  explicit TextOut(std::ostream& os) : os_(&os) {}

  // Writes the records of the FORMAT and ends the last one.
  void write(const Format& f, std::initializer_list<Value> values = {}) { emit(f, values, true); }
  // Writes the records of the FORMAT and leaves the last one open.
  void prompt(const Format& f, std::initializer_list<Value> values = {}) { emit(f, values, false); }

  // Writes text rendered elsewhere (the same record to a second destination).
  void write_text(std::string_view text) {
    os_->write(text.data(), static_cast<std::streamsize>(text.size()));
  }

  std::ostream& stream() { return *os_; }
  // The text of the last write or prompt through a FORMAT.
  std::string_view last_text() const { return buf_; }
  void flush() { os_->flush(); }
  bool good() const { return static_cast<bool>(*os_); }

 private:
  void emit(const Format& f, std::initializer_list<Value> values, bool line_end) {
    buf_.clear();
    f.render(buf_, values, line_end);
    os_->write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
  }

  std::ostream* os_;
  std::string buf_;
};

}  // namespace mx
