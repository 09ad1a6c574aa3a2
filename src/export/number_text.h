// Number texts shared by the exporters: exact, locale-free and short.
#pragma once

#include <string>

namespace mx {

// The shortest text that reads back to the same float (std::to_chars), with
// "nan", "inf" and "-inf" for the values that are not finite.
std::string float_text(float v);

// The value with 9 significant digits, as printf's "%.9g" in the C locale
// ("nan", "inf", "-inf" for the values that are not finite).
std::string double_text9(double v);

}  // namespace mx
