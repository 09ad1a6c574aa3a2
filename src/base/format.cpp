#include "base/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace mx {
namespace {

[[noreturn]] void bad_format(std::string_view text, std::size_t pos) {
  throw std::logic_error("malformed FORMAT at column " + std::to_string(pos) + ": " +
                         std::string(text));
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

void skip_blanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && is_blank(text[pos])) ++pos;
}

int read_count(std::string_view text, std::size_t& pos) {
  skip_blanks(text, pos);
  if (pos >= text.size() || !is_digit(text[pos])) bad_format(text, pos);
  int v = 0;
  while (pos < text.size() && is_digit(text[pos])) {
    v = v * 10 + (text[pos] - '0');
    if (v > 100000) bad_format(text, pos);
    ++pos;
  }
  return v;
}

void fill(std::string& out, char c, int count) {
  if (count > 0) out.append(static_cast<std::size_t>(count), c);
}

// The digits of magnitude rounded to d decimals (no leading zeros; none for
// zero), from its exact decimal expansion: every float has at most 149
// decimals, so "%.160f" prints it exactly and one rounding step suffices.
bool wide_digits(double magnitude, int d, char* digits, std::size_t room, int& ndigits) {
  char exact[256];
  const int len = std::snprintf(exact, sizeof exact, "%.160f", magnitude);
  if (len <= 0 || len >= static_cast<int>(sizeof exact)) return false;
  std::string all;  // integer digits and the first d decimals
  const char* point = std::strchr(exact, '.');
  all.append(exact, static_cast<std::size_t>(point - exact));
  all.append(point + 1, static_cast<std::size_t>(d));
  if (point[1 + d] >= '5') {
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
      all[static_cast<std::size_t>(i--)] = '0';
    if (i < 0)
      all.insert(all.begin(), '1');
    else
      ++all[static_cast<std::size_t>(i)];
  }
  const std::size_t first = all.find_first_not_of('0');
  if (first == std::string::npos) {
    ndigits = 0;
    return true;
  }
  all.erase(0, first);
  if (all.size() > room) return false;
  ndigits = static_cast<int>(all.size());
  std::memcpy(digits, all.data(), all.size());
  return true;
}

}  // namespace

Format::Format(std::string_view text) {
  std::size_t pos = 0;
  skip_blanks(text, pos);
  if (pos >= text.size() || text[pos] != '(') bad_format(text, pos);
  ++pos;
  parse_list(text, pos, false);
  skip_blanks(text, pos);
  if (pos != text.size()) bad_format(text, pos);
}

void Format::add_item(Item item) {
  if (item.op == Op::kText && !items_.empty() && items_.back().op == Op::kText) {
    items_.back().text += item.text;
    return;
  }
  if (item.op == Op::kInt || item.op == Op::kFixed || item.op == Op::kAlpha) ++value_count_;
  items_.push_back(std::move(item));
}

// Parses items up to and including the closing parenthesis of the list.
void Format::parse_list(std::string_view text, std::size_t& pos, bool nested) {
  for (;;) {
    skip_blanks(text, pos);
    if (pos >= text.size()) bad_format(text, pos);
    const char c = text[pos];
    if (c == ')') {
      ++pos;
      return;
    }
    if (c == ',') {
      ++pos;
      continue;
    }
    if (c == '/') {
      ++pos;
      add_item({Op::kSlash});
      continue;
    }
    if (c == '\'') {
      std::string literal;
      ++pos;
      for (;;) {
        if (pos >= text.size()) bad_format(text, pos);
        if (text[pos] == '\'') {
          if (pos + 1 < text.size() && text[pos + 1] == '\'') {
            literal += '\'';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        literal += text[pos++];
      }
      add_item({Op::kText, 0, 0, std::move(literal)});
      continue;
    }
    int count = 1;
    bool has_count = false;
    if (is_digit(c)) {
      count = read_count(text, pos);
      has_count = true;
      skip_blanks(text, pos);
      if (pos >= text.size()) bad_format(text, pos);
    }
    const char op = text[pos];
    if (op == '(') {
      ++pos;
      Format group("()");
      group.parse_list(text, pos, true);
      for (int k = 0; k < count; ++k)
        for (const Item& it : group.items_) add_item(it);
      continue;
    }
    if (op == 'X' || op == 'x') {
      if (!has_count) bad_format(text, pos);
      ++pos;
      add_item({Op::kText, 0, 0, std::string(static_cast<std::size_t>(count), ' ')});
      continue;
    }
    if (op == 'H' || op == 'h') {
      if (!has_count || pos + 1 + static_cast<std::size_t>(count) > text.size())
        bad_format(text, pos);
      add_item(
          {Op::kText, 0, 0, std::string(text.substr(pos + 1, static_cast<std::size_t>(count)))});
      pos += 1 + static_cast<std::size_t>(count);
      continue;
    }
    if (has_count) bad_format(text, pos);  // repeat counts only occur before groups
    ++pos;
    if (op == 'I' || op == 'i') {
      add_item({Op::kInt, read_count(text, pos)});
    } else if (op == 'A' || op == 'a') {
      add_item({Op::kAlpha, read_count(text, pos)});
    } else if (op == 'F' || op == 'f') {
      const int w = read_count(text, pos);
      skip_blanks(text, pos);
      if (pos >= text.size() || text[pos] != '.') bad_format(text, pos);
      ++pos;
      add_item({Op::kFixed, w, read_count(text, pos)});
    } else {
      bad_format(text, pos - 1);
    }
  }
  (void)nested;
}

void Format::render(std::string& out, std::initializer_list<Value> values, bool line_end) const {
  if (static_cast<int>(values.size()) != value_count_)
    throw std::logic_error("FORMAT value count mismatch");
  const Value* v = values.begin();
  for (const Item& it : items_) {
    switch (it.op) {
      case Op::kText:
        out += it.text;
        break;
      case Op::kSlash:
        out += '\n';
        break;
      case Op::kInt:
        if (v->kind() != Value::Kind::kInt) throw std::logic_error("FORMAT expects an integer");
        put_int(out, v->as_int(), it.w);
        ++v;
        break;
      case Op::kFixed:
        if (v->kind() != Value::Kind::kFloat) throw std::logic_error("FORMAT expects a real");
        put_fixed(out, v->as_float(), it.w, it.d);
        ++v;
        break;
      case Op::kAlpha:
        if (v->kind() != Value::Kind::kText) throw std::logic_error("FORMAT expects a text");
        put_alpha(out, v->as_text(), it.w);
        ++v;
        break;
    }
  }
  if (line_end) out += '\n';
}

void put_int(std::string& out, int v, int w) {
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  const int len = static_cast<int>(res.ptr - buf);
  if (len > w) {
    fill(out, '*', w);
    return;
  }
  fill(out, ' ', w - len);
  out.append(buf, static_cast<std::size_t>(len));
}

void put_alpha(std::string& out, std::string_view v, int w) {
  const int len = static_cast<int>(v.size());
  if (len < w) {
    fill(out, ' ', w - len);
    out.append(v);
  } else {
    out.append(v.substr(0, static_cast<std::size_t>(w)));
  }
}

void put_fixed(std::string& out, float v, int w, int d) {
  const auto right = [&](std::string_view text) {
    if (static_cast<int>(text.size()) > w) {
      fill(out, '*', w);
    } else {
      fill(out, ' ', w - static_cast<int>(text.size()));
      out.append(text);
    }
  };
  if (std::isnan(v)) {
    right("NaN");
    return;
  }
  const bool negative = std::signbit(v);
  if (std::isinf(v)) {
    if (negative)
      right(w >= 9 ? "-Infinity" : "-Inf");
    else
      right(w >= 8 ? "Infinity" : "Inf");
    return;
  }

  if (d > 60) {  // wider than any field of the program; not representable here
    fill(out, '*', w);
    return;
  }
  // The digits of |v| rounded to d decimals, ties away from zero, taken from
  // the float's exact value. A float times 10^d (d <= 8) is exact in double.
  char digits[64];
  int ndigits = 0;
  const double magnitude = std::fabs(static_cast<double>(v));
  static const double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
  if (d <= 8 && magnitude * kPow10[d] < 9.0e18) {
    const double scaled = magnitude * kPow10[d];
    auto units = static_cast<std::uint64_t>(scaled);
    if (scaled - static_cast<double>(units) >= 0.5) ++units;
    if (units != 0) {
      const auto res = std::to_chars(digits, digits + sizeof digits, units);
      ndigits = static_cast<int>(res.ptr - digits);
    }
  } else if (!wide_digits(magnitude, d, digits, sizeof digits, ndigits)) {
    fill(out, '*', w);
    return;
  }

  // Integer part: the digits before the last d; none when the value is below 1.
  const int int_len = ndigits > d ? ndigits - d : 0;
  char text[160];
  int len = 0;
  if (negative) text[len++] = '-';
  const int zero_at = len;
  if (int_len == 0) text[len++] = '0';
  for (int i = 0; i < int_len; ++i) text[len++] = digits[i];
  text[len++] = '.';
  for (int i = 0; i < d - ndigits; ++i) text[len++] = '0';
  for (int i = int_len; i < ndigits; ++i) text[len++] = digits[i];

  if (len > w && int_len == 0 && len - 1 == w) {
    // One column too narrow: the leading zero goes.
    for (int i = zero_at; i < len - 1; ++i) text[i] = text[i + 1];
    --len;
  }
  right(std::string_view(text, static_cast<std::size_t>(len)));
}

}  // namespace mx
