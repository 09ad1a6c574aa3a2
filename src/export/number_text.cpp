#include "export/number_text.h"

#include <charconv>
#include <cmath>

namespace mx {
namespace {

std::string non_finite_text(bool nan, bool negative) {
  if (nan) return "nan";
  return negative ? "-inf" : "inf";
}

}  // namespace

std::string float_text(float v) {
  if (!std::isfinite(v)) return non_finite_text(std::isnan(v), std::signbit(v));
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string double_text9(double v) {
  if (!std::isfinite(v)) return non_finite_text(std::isnan(v), std::signbit(v));
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
  return std::string(buf, r.ptr);
}

}  // namespace mx
