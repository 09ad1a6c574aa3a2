// Fixed-column text records described by a FORMAT in the classic notation:
//   'text'  nH...  k(items)  nX  /  Iw  Fw.d  Aw
// A FORMAT is parsed once (keep it in a function-local static) and can then be
// rendered any number of times without allocating. Every item of a FORMAT
// has a fixed width (an edit item of width w always writes w characters), so
// the parsed FORMAT knows the length of its text, and a rendering sizes its
// buffer once and writes each field in place.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/name20.h"

namespace mx {

// One value of a FORMAT's value list: an integer, a float or a character value.
class Value {
 public:
  enum class Kind { kInt, kFloat, kText };
  Value(int v) : kind_(Kind::kInt), i_(v) {}
  Value(float v) : kind_(Kind::kFloat), f_(v) {}
  Value(std::string_view v) : kind_(Kind::kText), s_(v) {}
  Value(const char* v) : kind_(Kind::kText), s_(v) {}
  Value(const std::string& v) : kind_(Kind::kText), s_(v) {}
  Value(const Name20& v) : kind_(Kind::kText), s_(v.view()) {}

  Kind kind() const { return kind_; }
  int as_int() const { return i_; }
  float as_float() const { return f_; }
  std::string_view as_text() const { return s_; }

 private:
  Kind kind_;
  int i_ = 0;
  float f_ = 0;
  std::string_view s_;
};

class Format {
 public:
  // Parses the FORMAT text; a malformed FORMAT is a programming error and
  // throws std::logic_error.
  explicit Format(std::string_view text);

  // Appends the text of the items to out. Every '/' appends a line end; when
  // line_end is true the last record is ended too.
  void render(std::string& out, std::initializer_list<Value> values, bool line_end) const;

  // The same for a FORMAT whose values are all reals, given as floats (no
  // Value to build and test for each).
  void render_reals(std::string& out, std::span<const float> values, bool line_end) const;

  int value_count() const { return value_count_; }
  // The number of characters render writes (without the closing line end).
  std::size_t length() const { return length_; }

 private:
  enum class Op { kText, kSlash, kInt, kFixed, kAlpha };
  struct Item {
    Op op;
    int w = 0;
    int d = 0;
    std::string text{};
    void (*fixed)(char*, float, int) = nullptr;  // the writer of an Fw.d of d <= 8
  };
  void parse_list(std::string_view text, std::size_t& pos, bool nested);
  void add_item(Item item);

  // What render_reals writes, made when the FORMAT is parsed: each Fw.d with
  // the literal text and line ends before it, then the text after the last
  // one. render_reals then writes a record without walking the items.
  struct RealField {
    std::string text_before;
    void (*write)(char*, float, int);  // null: d above 8 (or no width)
    int w;
    int d;
  };

  std::vector<Item> items_;
  std::vector<RealField> real_fields_;
  std::string real_tail_;
  bool reals_only_ = true;     // no Iw or Aw item
  bool plain_fields_ = false;  // no text, and every field with a writer of its own
  int value_count_ = 0;
  std::size_t length_ = 0;
};

// The text of single edit items, exposed for the tests and for callers that
// need one field: exactly w characters (none for a width below 1), appended
// to out or written at dst.
void put_fixed(std::string& out, float v, int w, int d);
void put_int(std::string& out, int v, int w);
void put_alpha(std::string& out, std::string_view v, int w);
void write_fixed(char* dst, float v, int w, int d);
void write_int(char* dst, int v, int w);
void write_alpha(char* dst, std::string_view v, int w);

}  // namespace mx
