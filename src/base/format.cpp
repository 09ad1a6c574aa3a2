#include "base/format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <type_traits>

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

// A value of the wrong kind: the record is taken back and the call fails.
[[noreturn]] void bad_value(std::string& out, std::size_t record_start, const char* what) {
  out.resize(record_start);
  throw std::logic_error(what);
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

// "00" "01" ... "99"
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// dst[0, n) = end[-n, 0) for n from 1 to 32, by two copies of a fixed size
// that overlap (a copy of a length known only at run time is a library call).
[[gnu::always_inline]] inline void copy_tail(char* dst, const char* end, std::size_t n) {
  if (n >= 16) {
    std::memcpy(dst, end - n, 16);
    std::memcpy(dst + n - 16, end - 16, 16);
  } else if (n >= 8) {
    std::memcpy(dst, end - n, 8);
    std::memcpy(dst + n - 8, end - 8, 8);
  } else if (n >= 4) {
    std::memcpy(dst, end - n, 4);
    std::memcpy(dst + n - 4, end - 4, 4);
  } else {
    const char* from = end - n;
    for (std::size_t i = 0; i < n; ++i) dst[i] = from[i];
  }
}

// The digits of units with a point before the last D of them, written
// leftwards from end, two at a time; returns the first, point receives the
// point's place. No digit before the point when units < 10^D.
template <int D, typename Units>
char* put_digits(char* end, Units units, char*& point) {
  char* p = end;
  for (int i = 0; i < D / 2; ++i) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * (units % 100), 2);
    units /= 100;
  }
  if (D % 2 == 1) {
    *--p = static_cast<char>('0' + units % 10);
    units /= 10;
  }
  *--p = '.';
  point = p;
  for (; units >= 100; units /= 100) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * (units % 100), 2);
  }
  if (units >= 10) {
    p -= 2;
    std::memcpy(p, kPairs + 2 * units, 2);
  } else if (units > 0) {
    *--p = static_cast<char>('0' + units);
  }
  return p;
}

// text right-justified in the field of w, or the field of stars when it
// does not fit
void right_justified(char* dst, int w, std::string_view text) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() > width) {
    std::memset(dst, '*', width);
  } else {
    std::memset(dst, ' ', width - text.size());
    std::memcpy(dst + (width - text.size()), text.data(), text.size());
  }
}

// The field of a value beyond the fast path of write_fixed (more than 8
// decimals, or 9e18 units and more), from the exact decimal expansion. Out of
// line: the common fields need none of its stack.
[[gnu::noinline]] void write_wide_fixed(char* dst, double magnitude, bool negative, int w, int d) {
  char digits[64];
  int ndigits = 0;
  if (!wide_digits(magnitude, d, digits, sizeof digits, ndigits)) {
    std::memset(dst, '*', static_cast<std::size_t>(w));
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
  right_justified(dst, w, std::string_view(text, static_cast<std::size_t>(len)));
}

// A NaN or an infinity in a field of w.
void write_not_finite(char* dst, float v, int w) {
  if (std::isnan(v)) {
    right_justified(dst, w, "NaN");
  } else if (std::signbit(v)) {
    right_justified(dst, w, w >= 9 ? "-Infinity" : "-Inf");
  } else {
    right_justified(dst, w, w >= 8 ? "Infinity" : "Inf");
  }
}

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// Fw.D of a value for D up to 8, with D known to the compiler: |v| rounded
// to D decimals, ties away from zero, taken from the float's exact value. A
// float times 10^D is exact in double; below 9e18 the units fit 64 bits
// (and beyond, the exact expansion takes over).
template <int D>
void write_fixed_to(char* dst, float v, int w) {
  if (!std::isfinite(v)) {
    write_not_finite(dst, v, w);
    return;
  }
  const bool negative = std::signbit(v);
  const double magnitude = std::fabs(static_cast<double>(v));
  const double scaled = magnitude * kPow10[D];
  if (!(scaled < 9.0e18)) {
    write_wide_fixed(dst, magnitude, negative, w, D);
    return;
  }
  // (through the signed conversion, one instruction)
  auto units = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled));
  if (scaled - static_cast<double>(units) >= 0.5) ++units;
  // The text is set right-justified in a row of blanks, from the right: the
  // D decimals, the point, the integer digits (a 0 when there are none), the
  // sign. At most 19 digits and 2 more.
  constexpr int kRoom = 32;
  char buf[kRoom];
  std::memset(buf, ' ', sizeof buf);
  char* const end = buf + kRoom;
  char* point = nullptr;
  // (in 32 bits when the units fit, as nearly all do: cheaper divisions)
  char* p = units <= 0xffffffffu ? put_digits<D>(end, static_cast<std::uint32_t>(units), point)
                                 : put_digits<D>(end, units, point);
  // No integer digits: a 0, unless the text is then one column too wide.
  if (p == point && end - p + (negative ? 2 : 1) != w + 1) *--p = '0';
  if (negative) *--p = '-';
  const auto len = static_cast<std::size_t>(end - p);
  const auto width = static_cast<std::size_t>(w);
  if (len > width) {
    std::memset(dst, '*', width);
  } else if (width <= kRoom) {
    copy_tail(dst, end, width);
  } else {
    std::memset(dst, ' ', width - kRoom);
    std::memcpy(dst + (width - kRoom), buf, kRoom);
  }
}

// The writer of Fw.d for d up to 8 (none beyond).
void (*fixed_writer(int d))(char*, float, int) {
  static constexpr void (*kWriters[])(char*, float, int) = {
      write_fixed_to<0>, write_fixed_to<1>, write_fixed_to<2>, write_fixed_to<3>, write_fixed_to<4>,
      write_fixed_to<5>, write_fixed_to<6>, write_fixed_to<7>, write_fixed_to<8>};
  return d >= 0 && d <= 8 ? kWriters[d] : nullptr;
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
  // The plan of render_reals: each real field with the text before it.
  std::string text_before;
  for (const Item& it : items_) {
    if (it.op == Op::kText) {
      length_ += it.text.size();
      text_before += it.text;
    } else if (it.op == Op::kSlash) {
      ++length_;
      text_before += '\n';
    } else {
      length_ += static_cast<std::size_t>(it.w);
      if (it.op == Op::kFixed) {
        real_fields_.push_back({std::move(text_before), it.fixed, it.w, it.d});
        text_before.clear();
      } else {
        reals_only_ = false;
      }
    }
  }
  real_tail_ = std::move(text_before);
  plain_fields_ = real_tail_.empty();
  for (const RealField& field : real_fields_)
    plain_fields_ = plain_fields_ && field.text_before.empty() && field.write != nullptr;
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
      const int d = read_count(text, pos);
      add_item({Op::kFixed, w, d, {}, w > 0 ? fixed_writer(d) : nullptr});
    } else {
      bad_format(text, pos - 1);
    }
  }
  (void)nested;
}

void Format::render(std::string& out, std::initializer_list<Value> values, bool line_end) const {
  if (static_cast<int>(values.size()) != value_count_)
    throw std::logic_error("FORMAT value count mismatch");
  const std::size_t at = out.size();
  out.resize(at + length_ + (line_end ? 1 : 0));
  char* p = out.data() + at;
  const Value* v = values.begin();
  for (const Item& it : items_) {
    switch (it.op) {
      case Op::kText:
        std::memcpy(p, it.text.data(), it.text.size());
        p += it.text.size();
        break;
      case Op::kSlash:
        *p++ = '\n';
        break;
      case Op::kInt:
        if (v->kind() != Value::Kind::kInt) bad_value(out, at, "FORMAT expects an integer");
        write_int(p, v->as_int(), it.w);
        p += it.w;
        ++v;
        break;
      case Op::kFixed:
        if (v->kind() != Value::Kind::kFloat) bad_value(out, at, "FORMAT expects a real");
        if (it.fixed)
          it.fixed(p, v->as_float(), it.w);
        else
          write_fixed(p, v->as_float(), it.w, it.d);
        p += it.w;
        ++v;
        break;
      case Op::kAlpha:
        if (v->kind() != Value::Kind::kText) bad_value(out, at, "FORMAT expects a text");
        write_alpha(p, v->as_text(), it.w);
        p += it.w;
        ++v;
        break;
    }
  }
  if (line_end) *p = '\n';
}

void Format::render_reals(std::string& out, std::span<const float> values, bool line_end) const {
  if (static_cast<int>(values.size()) != value_count_)
    throw std::logic_error("FORMAT value count mismatch");
  if (!reals_only_) throw std::logic_error("FORMAT expects a real");
  const std::size_t at = out.size();
  out.resize(at + length_ + (line_end ? 1 : 0));
  char* p = out.data() + at;
  const float* v = values.data();
  // One loop, made twice: a record of plain fields (a table row) skips the
  // tests for literal text and for a field without a writer of its own.
  auto write_fields = [&](auto plain) {
    for (const RealField& field : real_fields_) {
      if constexpr (!plain) {
        std::memcpy(p, field.text_before.data(), field.text_before.size());
        p += field.text_before.size();
      }
      if (plain || field.write)
        field.write(p, *v, field.w);
      else
        write_fixed(p, *v, field.w, field.d);
      p += field.w;
      ++v;
    }
  };
  if (plain_fields_) {
    write_fields(std::true_type{});
  } else {
    write_fields(std::false_type{});
    std::memcpy(p, real_tail_.data(), real_tail_.size());
    p += real_tail_.size();
  }
  if (line_end) *p = '\n';
}

void write_int(char* dst, int v, int w) {
  if (w < 1) return;
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  const int len = static_cast<int>(res.ptr - buf);
  if (len > w) {
    std::memset(dst, '*', static_cast<std::size_t>(w));
    return;
  }
  std::memset(dst, ' ', static_cast<std::size_t>(w - len));
  std::memcpy(dst + (w - len), buf, static_cast<std::size_t>(len));
}

void write_alpha(char* dst, std::string_view v, int w) {
  if (w < 1) return;
  const int len = static_cast<int>(v.size());
  if (len < w) {
    std::memset(dst, ' ', static_cast<std::size_t>(w - len));
    std::memcpy(dst + (w - len), v.data(), v.size());
  } else {
    std::memcpy(dst, v.data(), static_cast<std::size_t>(w));
  }
}

void write_fixed(char* dst, float v, int w, int d) {
  if (w < 1) return;
  if (const auto write = fixed_writer(d)) {
    write(dst, v, w);
    return;
  }
  if (!std::isfinite(v)) {
    write_not_finite(dst, v, w);
  } else if (d > 60) {  // wider than any field of the program; not representable here
    std::memset(dst, '*', static_cast<std::size_t>(w));
  } else {
    write_wide_fixed(dst, std::fabs(static_cast<double>(v)), std::signbit(v), w, d);
  }
}

namespace {

// Appends the field that write writes, w characters.
template <typename Write>
void append_field(std::string& out, int w, Write write) {
  if (w < 1) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(w));
  write(out.data() + at);
}

}  // namespace

void put_int(std::string& out, int v, int w) {
  append_field(out, w, [&](char* dst) { write_int(dst, v, w); });
}

void put_alpha(std::string& out, std::string_view v, int w) {
  append_field(out, w, [&](char* dst) { write_alpha(dst, v, w); });
}

void put_fixed(std::string& out, float v, int w, int d) {
  append_field(out, w, [&](char* dst) { write_fixed(dst, v, w, d); });
}

}  // namespace mx
