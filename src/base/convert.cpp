#include "base/convert.h"

#include <cmath>

namespace mx {
namespace {

// 2^31 exactly; every float below it in magnitude converts without overflow.
constexpr float kLimit = 2147483648.0f;

int saturate(float whole) {
  if (std::isnan(whole)) return 0;
  if (whole >= kLimit) return 2147483647;
  if (whole < -kLimit) return -2147483647 - 1;
  return static_cast<int>(whole);
}

}  // namespace

int nint(float v) { return saturate(std::round(v)); }

int trunc_int(float v) { return saturate(std::trunc(v)); }

}  // namespace mx
