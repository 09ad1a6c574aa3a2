// Text helpers shared by the SVG and DXF picture writers: locale-independent number formatting and
// cleaning of free text (titles, program version) before it goes into a file.
#pragma once

#include <string>
#include <string_view>

namespace mx::picture {

// v with exactly `decimals` digits after the point, never in exponent form and independent of the
// C locale; "-0.00" comes out as "0.00"; NaN and infinities as "nan", "inf", "-inf".
std::string fixed(double v, int decimals);

// Shortest text that reads back to exactly v, in plain (non-exponent) notation.
std::string exact(double v);

// s as valid UTF-8 without control characters: bytes that do not form a UTF-8 sequence become '?',
// tabs and line breaks become spaces, other control characters are dropped.
std::string clean_text(std::string_view s);

// clean_text(s) with &, <, >, " and ' escaped for XML text and attribute values.
std::string xml_text(std::string_view s);

// Up to `significant` significant digits without trailing zeros, never in exponent form
// ("50", "0.1", "1000", "2.5").
std::string short_number(double v, int significant = 6);

// Width of s in em, estimated for a sans-serif face (digits ~0.64 em); used for layout only.
double text_width_em(std::string_view s);

}  // namespace mx::picture
