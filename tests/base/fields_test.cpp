#include "base/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "base/console.h"
#include "base/convert.h"
#include "base/program_exit.h"

namespace mx {
namespace {

float value_of(std::string_view line) {
  const NumericField f = read_f13(line);
  EXPECT_TRUE(f.ok) << "'" << line << "': " << f.error;
  return f.value;
}

bool is_error(std::string_view line) { return !read_f13(line).ok; }

TEST(NumericAnswer, AcceptedForms) {
  EXPECT_EQ(value_of("1 2"), 12.0f);
  EXPECT_EQ(value_of("1E2"), 100.0f);
  EXPECT_EQ(value_of("2,5"), 2.0f);
  EXPECT_EQ(value_of("  -3.25  "), -3.25f);
  EXPECT_EQ(value_of("1.5d1"), 15.0f);
  EXPECT_EQ(value_of("+.5e-1"), 0.05f);
  EXPECT_EQ(value_of("7."), 7.0f);
  EXPECT_EQ(value_of("\t4\t2"), 42.0f);
  EXPECT_EQ(value_of("12345678901234567890"), 1234567890123.0f);  // 13 columns only
  EXPECT_EQ(value_of("1000         comment"), 1000.0f);
  EXPECT_EQ(value_of("1e-45"), 1.0e-45f);  // subnormal stays subnormal
  EXPECT_EQ(value_of("1e-60"), 0.0f);      // too small for any float reads 0
  EXPECT_EQ(value_of("0.1"), 0.1f);        // nearest float, as strtof gives
}

TEST(NumericAnswer, BlankAndZeroForms) {
  EXPECT_TRUE(read_f13("").blank);
  EXPECT_TRUE(read_f13("      ").blank);
  EXPECT_TRUE(read_f13(",0").blank);
  EXPECT_TRUE(read_f13("             5").blank);  // the 5 lies past column 13
  EXPECT_FALSE(read_f13("0").blank);
  EXPECT_FALSE(read_f13("0E5").blank);
  const NumericField neg_zero = read_f13("-0");
  EXPECT_TRUE(neg_zero.ok);
  EXPECT_TRUE(std::signbit(neg_zero.value));
}

TEST(NumericAnswer, Errors) {
  EXPECT_TRUE(is_error("abc"));
  EXPECT_TRUE(is_error("1.2.3"));
  EXPECT_TRUE(is_error("+"));
  EXPECT_TRUE(is_error("-"));
  EXPECT_TRUE(is_error("."));
  EXPECT_TRUE(is_error("1.5+3"));
  EXPECT_TRUE(is_error("1E"));
  EXPECT_TRUE(is_error("E5"));
  EXPECT_TRUE(is_error("inf"));
  EXPECT_TRUE(is_error("nan"));
  EXPECT_TRUE(is_error("1e39"));  // beyond the float range
  EXPECT_TRUE(is_error("5x"));
  EXPECT_FALSE(is_error("5,x"));  // the comma ends the number first
}

TEST(NumericAnswer, LineEndsAndNames) {
  EXPECT_EQ(strip_cr("12\r"), "12");
  EXPECT_EQ(strip_cr("12"), "12");
  EXPECT_EQ(read_a20("x").view(), "x                   ");
  EXPECT_EQ(read_a20("abcdefghijklmnopqrstuvwxyz").view(), "abcdefghijklmnopqrst");
  EXPECT_TRUE(read_a20("   ").blank());
}

TEST(IntegerConversion, RoundsHalvesAwayAndSaturates) {
  EXPECT_EQ(nint(1.5f), 2);
  EXPECT_EQ(nint(2.5f), 3);
  EXPECT_EQ(nint(-0.5f), -1);
  EXPECT_EQ(nint(-0.4f), 0);
  EXPECT_EQ(nint(1.4f), 1);
  EXPECT_EQ(nint(3.0e10f), 2147483647);
  EXPECT_EQ(nint(-3.0e10f), -2147483647 - 1);
  EXPECT_EQ(nint(std::nanf("")), 0);
  EXPECT_EQ(trunc_int(2.999f), 2);
  EXPECT_EQ(trunc_int(-2.999f), -2);
  EXPECT_EQ(trunc_int(1.0e20f), 2147483647);
}

TEST(ConsoleReading, FlushesAndEndsTheRunOnBadInput) {
  std::istringstream in("12\r\nxyz\n");
  std::ostringstream out;
  Console con(in, out);
  EXPECT_EQ(con.read_number(), 12.0f);
  try {
    con.read_number();
    FAIL() << "letters must end the run";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_EQ(e.message.rfind("input error:", 0), 0u);
  }
  try {
    con.read_name();
    FAIL() << "end of input must end the run";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 2);
    EXPECT_EQ(e.message.rfind("input error:", 0), 0u);
  }
}

}  // namespace
}  // namespace mx
