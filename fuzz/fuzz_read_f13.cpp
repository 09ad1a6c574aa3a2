// The numeric answer reader "(F13.0)" and the name reader "(A20)" on any line.
//
// The reader is compared with a second, plain reading of the same rules:
// only the first 13 characters count, blanks and tabs are ignored, a comma
// ends the number, an empty field is 0, the number is
//   [sign] digits [. [digits]] | [sign] . digits,  then optionally
//   (E|e|D|d) [sign] digits,
// and its value is the nearest float; a value beyond the float range is not
// a number. Error texts go to the error stream as one line, so they must be
// printable.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "base/fields.h"
#include "fuzz_support.h"

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

struct Expected {
  bool ok = false;
  bool blank = false;
  float value = 0;
};

Expected plain_reading(std::string_view line) {
  Expected e;
  std::string s;
  for (std::size_t i = 0; i < line.size() && i < 13; ++i) {
    const char c = line[i];
    if (c == ',') break;
    if (c == ' ' || c == '\t') continue;
    s += c;
  }
  if (s.empty()) {
    e.ok = e.blank = true;
    return e;
  }
  std::size_t i = 0;
  std::string number;
  if (s[i] == '+' || s[i] == '-') number += s[i++];
  std::size_t digits = 0;
  while (i < s.size() && digit(s[i])) number += s[i++], ++digits;
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    while (i < s.size() && digit(s[i])) number += s[i++], ++digits;
  }
  if (digits == 0) return e;
  if (i < s.size()) {
    const char x = s[i];
    if (x != 'E' && x != 'e' && x != 'D' && x != 'd') return e;
    number += 'E';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
    std::size_t exp_digits = 0;
    while (i < s.size() && digit(s[i])) number += s[i++], ++exp_digits;
    if (exp_digits == 0 || i != s.size()) return e;
  }
  const float v = std::strtof(number.c_str(), nullptr);
  if (std::isinf(v)) return e;
  e.ok = true;
  e.value = v;
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using mxfuzz::fail;
  const std::string line(reinterpret_cast<const char*>(data), size);

  const mx::NumericField f = mx::read_f13(line);
  const Expected e = plain_reading(line);
  if (f.ok != e.ok) fail("accepted differently from the plain reading");
  if (f.ok) {
    if (f.blank != e.blank) fail("blank flag differs");
    if (!std::isfinite(f.value)) fail("non-finite value accepted");
    if (std::memcmp(&f.value, &e.value, sizeof(float)) != 0 && !(f.value == 0 && e.value == 0))
      fail("value differs from the nearest float");
    if (!f.error.empty()) fail("error text on success");
  } else {
    if (f.error.empty()) fail("no error text");
    if (f.error.find('\n') != std::string::npos || !mxfuzz::printable_text(f.error))
      fail("error text is not one printable line");
  }
  // Columns after 13 never matter.
  const mx::NumericField g = mx::read_f13(std::string_view(line).substr(0, 13));
  if (g.ok != f.ok || (f.ok && std::memcmp(&g.value, &f.value, sizeof(float)) != 0))
    fail("characters after column 13 changed the value");

  // strip_cr removes exactly one trailing carriage return.
  const std::string_view stripped = mx::strip_cr(line);
  if (!line.empty() && line.back() == '\r') {
    if (stripped.size() != line.size() - 1) fail("strip_cr kept the CR");
  } else if (stripped.size() != line.size()) {
    fail("strip_cr removed a character");
  }

  const mx::Name20 name = mx::read_a20(line);
  const std::string_view v = name.view();
  if (v.size() != 20) fail("name is not 20 characters");
  for (std::size_t i = 0; i < 20; ++i)
    if (v[i] != (i < line.size() ? line[i] : ' ')) fail("name differs from the first 20 columns");
  return 0;
}
