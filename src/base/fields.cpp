#include "base/fields.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace mx {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string printable(std::string_view s) {
  std::string out;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f) {
      out += c;
    } else {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

std::string_view strip_cr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

NumericField read_f13(std::string_view line) {
  NumericField result;
  const std::string_view field = line.substr(0, 13);
  std::string compact;  // the field without blanks, up to any comma
  for (char c : field) {
    if (c == ',') break;
    if (c == ' ' || c == '\t') continue;
    compact += c;
  }
  if (compact.empty()) {
    result.ok = true;
    result.blank = true;
    return result;
  }

  // sign? digits [. digits] [exponent letter sign? digits], one mantissa digit at least
  std::string number;
  std::size_t i = 0;
  const std::size_t n = compact.size();
  if (compact[i] == '+' || compact[i] == '-') number += compact[i++];
  int mantissa_digits = 0;
  while (i < n && is_digit(compact[i])) {
    number += compact[i++];
    ++mantissa_digits;
  }
  if (i < n && compact[i] == '.') {
    number += compact[i++];
    while (i < n && is_digit(compact[i])) {
      number += compact[i++];
      ++mantissa_digits;
    }
  }
  bool good = mantissa_digits > 0;
  if (good && i < n) {
    const char e = compact[i];
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
      number += 'e';
      ++i;
      if (i < n && (compact[i] == '+' || compact[i] == '-')) number += compact[i++];
      int exponent_digits = 0;
      while (i < n && is_digit(compact[i])) {
        number += compact[i++];
        ++exponent_digits;
      }
      good = exponent_digits > 0;
    }
  }
  if (!good || i != n) {
    result.error = "'" + printable(field) + "' is not a number";
    return result;
  }
  errno = 0;
  const float v = std::strtof(number.c_str(), nullptr);
  if (std::isinf(v)) {
    result.error = "'" + printable(field) + "' is beyond the single-precision range";
    return result;
  }
  result.ok = true;
  result.value = v;
  return result;
}

Name20 read_a20(std::string_view line) { return Name20(line.substr(0, Name20::width)); }

}  // namespace mx
