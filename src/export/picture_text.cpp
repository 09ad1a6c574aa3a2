#include "export/picture_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace mx::picture {

std::string fixed(double v, int decimals) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0.0 ? "inf" : "-inf";
  if (decimals < 0) decimals = 0;
  if (decimals > 17) decimals = 17;
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (res.ec != std::errc()) return "0";
  std::string s(buf, res.ptr);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string exact(double v) {
  if (!std::isfinite(v)) return fixed(v, 0);
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (res.ec != std::errc()) return "0";
  std::string s(buf, res.ptr);
  if (s == "-0") s = "0";
  return s;
}

std::string short_number(double v, int significant) {
  if (!std::isfinite(v)) return fixed(v, 0);
  significant = significant < 1 ? 1 : (significant > 15 ? 15 : significant);
  const double a = std::fabs(v);
  int dec = 0;
  if (a > 0.0 && a < 1e15) {
    dec = significant - 1 - static_cast<int>(std::floor(std::log10(a)));
    dec = dec < 0 ? 0 : (dec > 15 ? 15 : dec);
  }
  std::string s = fixed(v, dec);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes there do not form one.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t c = b(i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  std::uint32_t cp = 0;
  if ((c & 0xE0) == 0xC0) {
    n = 2;
    cp = c & 0x1Fu;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3;
    cp = c & 0x0Fu;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4;
    cp = c & 0x07u;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points XML does not allow.
  if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000)) return 0;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

}  // namespace

std::string clean_text(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t n = utf8_length(s, i);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    if (n == 1) {
      const char c = s[i];
      if (c == '\t' || c == '\n' || c == '\r') {
        out += ' ';
      } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
        out += c;
      }
    } else {
      out.append(s.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string xml_text(std::string_view s) {
  const std::string clean = clean_text(s);
  std::string out;
  out.reserve(clean.size() + 16);
  for (const char c : clean) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

double text_width_em(std::string_view s) {
  double w = 0.0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) == 0x80) continue;  // continuation byte of a multi-byte character
    if (c == ' ' || c == '.' || c == ',' || c == ':' || c == ';' || c == 'i' || c == 'l' ||
        c == '|' || c == '\'') {
      w += 0.32;
    } else if (c == '(' || c == ')' || c == '[' || c == ']' || c == 'f' || c == 't' || c == 'r' ||
               c == 'j' || c == 'I') {
      w += 0.40;
    } else if (c == 'm' || c == 'w' || c == 'M' || c == 'W') {
      w += 0.90;
    } else if (c >= 'A' && c <= 'Z') {
      w += 0.70;
    } else {
      w += 0.62;
    }
  }
  return w;
}

}  // namespace mx::picture
