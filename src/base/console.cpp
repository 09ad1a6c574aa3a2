#include "base/console.h"

#include <string>

#include "base/program_exit.h"

namespace mx {

std::string Console::read_line(const char* what) {
  out_.flush();
  if (!std::getline(*in_, line_))
    throw ProgramExit{2, std::string("input error: end of input while reading ") + what};
  return std::string(strip_cr(line_));
}

void Console::prompt(const Format& f, std::initializer_list<Value> values) {
  out_.prompt(f, values);
  const std::string_view text = out_.last_text();
  const std::size_t end = text.rfind('\n');
  last_prompt_ = std::string(end == std::string_view::npos ? text : text.substr(end + 1));
}

NumericField Console::read_field() {
  for (;;) {
    const std::string line = read_line("a numeric answer");
    NumericField field = read_f13(line);
    if (field.ok) return field;
    if (!forgiving_) throw ProgramExit{2, "input error: " + field.error};
    out_.stream() << "      " << field.error << "; please type a number.\n" << last_prompt_;
  }
}

float Console::read_number() { return read_field().value; }

Name20 Console::read_name() { return read_a20(read_line("a file name")); }

}  // namespace mx
