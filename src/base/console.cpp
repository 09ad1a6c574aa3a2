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

NumericField Console::read_field() {
  const std::string line = read_line("a numeric answer");
  NumericField field = read_f13(line);
  if (!field.ok) throw ProgramExit{2, "input error: " + field.error};
  return field;
}

float Console::read_number() { return read_field().value; }

Name20 Console::read_name() { return read_a20(read_line("a file name")); }

}  // namespace mx
