// Reading of one input record: a numeric answer or entry by the "(F13.0)"
// rules, and a name by "(A20)".
#pragma once

#include <string>
#include <string_view>

#include "base/name20.h"

namespace mx {

struct NumericField {
  bool ok = false;     // false: not a number by the rules (error says why)
  bool blank = false;  // nothing but blanks before the end of the number
  float value = 0;
  std::string error;
};

// Only the first 13 characters count; blanks and tabs are ignored; an empty
// field reads 0; a comma ends the number. The value is the nearest float.
// A value beyond the float range is not a number.
NumericField read_f13(std::string_view line);

// The first 20 characters of the line, padded with blanks.
Name20 read_a20(std::string_view line);

// The text with every byte outside printable ASCII shown as \xNN, so that a
// name or an answer can stand inside a one-line message.
std::string printable(std::string_view s);

// Removes one trailing carriage return (lines written with CR LF ends).
std::string_view strip_cr(std::string_view line);

}  // namespace mx
