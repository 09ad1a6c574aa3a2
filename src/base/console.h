// The console side of the dialog: records out through FORMATs, answers in one
// line at a time. Standard output is flushed before every read so that a
// prompt left open is visible. The end of the input ends the run with status 2
// (ProgramExit), and so does an unreadable answer, unless the console was told
// that a person is typing (set_forgiving): a typing mistake then gets one line
// saying what was wrong and the same question again.
#pragma once

#include <istream>
#include <ostream>

#include "base/fields.h"
#include "base/name20.h"
#include "base/text_out.h"

namespace mx {

class Console {
 public:
  Console(std::istream& in, std::ostream& out) : in_(&in), out_(out) {}

  TextOut& out() { return out_; }
  void write(const Format& f, std::initializer_list<Value> values = {}) { out_.write(f, values); }
  void prompt(const Format& f, std::initializer_list<Value> values = {});

  // A person at a terminal answers: ask again after an unreadable answer.
  void set_forgiving(bool forgiving) { forgiving_ = forgiving; }
  bool forgiving() const { return forgiving_; }

  // One numeric answer by the "(F13.0)" rules; blank answers read as 0.
  float read_number();
  // The same, also telling whether the answer was blank.
  NumericField read_field();
  // One file-name answer by the "(A20)" rules.
  Name20 read_name();

 private:
  std::string read_line(const char* what);

  std::istream* in_;
  TextOut out_;
  std::string line_;
  std::string last_prompt_;  // the open line of the last prompt, asked again after a mistake
  bool forgiving_ = false;
};

}  // namespace mx
