// Float-to-integer conversions. Both saturate at the 32-bit limits and give 0
// for NaN, so no conversion is ever undefined.
#pragma once

namespace mx {

// Nearest integer, halves away from zero (2.5 -> 3, -0.5 -> -1).
int nint(float v);

// Truncation toward zero.
int trunc_int(float v);

}  // namespace mx
