#include "store/int_parse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "store/outcome.h"

namespace pelliton {
namespace {

using namespace std::string_literals;
using testing::NotAnInteger;
using testing::Outcome;

struct Case {
  std::string text;
  std::string expected;  // the number, or the conversion error
};

std::string Accepted(std::int64_t value) {
  return std::to_string(value);
}

// Texts that both conversions treat alike.
std::vector<Case> CommonCases() {
  const std::string zeros(5000, '0');
  return {
      {"0", Accepted(0)},
      {"42", Accepted(42)},
      {"  42", Accepted(42)},
      {"+7", Accepted(7)},
      {"-0", Accepted(0)},
      {"+0", Accepted(0)},
      {"007", Accepted(7)},
      {zeros + "1", Accepted(1)},
      {"$10", Accepted(16)},
      {"0x1F", Accepted(31)},
      {"0X1f", Accepted(31)},
      {"x1f", Accepted(31)},
      {"X10", Accepted(16)},
      {"$aBc", Accepted(0xABC)},
      {"+$10", Accepted(16)},
      {"$0000000000FF", Accepted(255)},
      {"0x" + zeros + "2", Accepted(2)},
      {"  +0x10", Accepted(16)},
      {"", NotAnInteger("")},
      {" ", NotAnInteger(" ")},
      {"   ", NotAnInteger("   ")},
      {"-", NotAnInteger("-")},
      {"+", NotAnInteger("+")},
      {"$", NotAnInteger("$")},
      {"x", NotAnInteger("x")},
      {"0x", NotAnInteger("0x")},
      {"-$", NotAnInteger("-$")},
      {"42 ", "convert: '42 ' is not a valid integer value"},
      {"12a", "convert: '12a' is not a valid integer value"},
      {"1 2", NotAnInteger("1 2")},
      {"--1", NotAnInteger("--1")},
      {"+-1", NotAnInteger("+-1")},
      {"-+1", NotAnInteger("-+1")},
      {"- 1", NotAnInteger("- 1")},
      {"$ 1", NotAnInteger("$ 1")},
      {"$-1", NotAnInteger("$-1")},
      {"$$1", NotAnInteger("$$1")},
      {"0xx1", NotAnInteger("0xx1")},
      {"00x1", NotAnInteger("00x1")},
      {"$G", NotAnInteger("$G")},
      {"1e3", NotAnInteger("1e3")},
      {"0b1", NotAnInteger("0b1")},
      {"1.0", NotAnInteger("1.0")},
      {"1,000", NotAnInteger("1,000")},
      {"\t42", NotAnInteger("\t42")},  // only the space is a blank
      {"\n42", NotAnInteger("\n42")},
      {"42\t", NotAnInteger("42\t")},
      {"1\0"s
       "2",
       NotAnInteger("1\0"s
                    "2")},
      {"\0"s
       "1",
       NotAnInteger("\0"s
                    "1")},
      {"7\0"s, NotAnInteger("7\0"s)},
      {"\xB2", NotAnInteger("\xB2")},                  // superscript two, Latin-1
      {"\xEF\xBC\x91", NotAnInteger("\xEF\xBC\x91")},  // fullwidth one, UTF-8
      {"4\xA0", NotAnInteger("4\xA0")},                // no-break space is no blank
      {"$100000000", NotAnInteger("$100000000")},
      {"0x1FFFFFFFF", NotAnInteger("0x1FFFFFFFF")},
      {std::string(100, '9'), NotAnInteger(std::string(100, '9'))},
      {"-" + std::string(100, '1'), NotAnInteger("-" + std::string(100, '1'))},
      {"$" + std::string(100, 'F'), NotAnInteger("$" + std::string(100, 'F'))},
  };
}

TEST(StrToIntTest, CommonTexts) {
  for (const auto& c : CommonCases()) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Outcome([&] { return StrToInt(c.text); }), c.expected);
  }
}

TEST(StrToUIntTest, CommonTexts) {
  for (const auto& c : CommonCases()) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Outcome([&] { return StrToUInt(c.text); }), c.expected);
  }
}

TEST(StrToIntTest, SignedLimitsAndHexBits) {
  const std::vector<Case> cases = {
      {"2147483647", Accepted(INT32_MAX)},
      {"+2147483647", Accepted(INT32_MAX)},
      {"-2147483648", Accepted(INT32_MIN)},
      {"-0002147483648", Accepted(INT32_MIN)},
      {"2147483648", NotAnInteger("2147483648")},
      {"+2147483648", NotAnInteger("+2147483648")},
      {"-2147483649", NotAnInteger("-2147483649")},
      {"4294967295", NotAnInteger("4294967295")},
      {"-7", Accepted(-7)},
      {"$7FFFFFFF", Accepted(INT32_MAX)},
      {"$80000000", Accepted(INT32_MIN)},
      {"$FFFFFFFF", Accepted(-1)},
      {"0xfffffffe", Accepted(-2)},
      {"-$1", Accepted(-1)},
      {"-0x10", Accepted(-16)},
      {"-$80000000", Accepted(INT32_MIN)},  // negation modulo 2^32
      {"-$FFFFFFFF", Accepted(1)},
      {"-$80000001", Accepted(INT32_MAX)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Outcome([&] { return StrToInt(c.text); }), c.expected);
  }
}

// The sign is kept, so that the range check of the reader refuses a negative total.
TEST(StrToUIntTest, UnsignedLimitsAndSign) {
  const std::vector<Case> cases = {
      {"4294967295", Accepted(4294967295)},
      {"2147483648", Accepted(2147483648)},
      {"4294967296", NotAnInteger("4294967296")},
      {"$FFFFFFFF", Accepted(4294967295)},
      {"$80000000", Accepted(2147483648)},
      {"$100000000", NotAnInteger("$100000000")},
      {"-1", Accepted(-1)},
      {"-4294967295", Accepted(-4294967295)},
      {"-4294967296", NotAnInteger("-4294967296")},
      {"-$1", Accepted(-1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Outcome([&] { return StrToUInt(c.text); }), c.expected);
  }
}

// Decimal and hexadecimal texts of values spread over the whole 32-bit range, both limits
// and their neighbours included, read back as the value.
TEST(StrToIntTest, RoundTripsDecimalAndHexText) {
  std::vector<std::int64_t> values = {INT32_MIN, INT32_MIN + 1, -65536,        -1,       0,
                                      1,         65535,         INT32_MAX - 1, INT32_MAX};
  for (std::int64_t v = INT32_MIN; v <= INT32_MAX; v += 7919 * 1009)
    values.push_back(v);
  for (const std::int64_t v : values) {
    SCOPED_TRACE(v);
    const auto bits = static_cast<std::uint32_t>(v);
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%X", bits);
    EXPECT_EQ(StrToInt(std::to_string(v)), v);
    EXPECT_EQ(StrToInt(hex), v);
    EXPECT_EQ(StrToUInt(std::to_string(bits)), bits);
    EXPECT_EQ(StrToUInt(hex), bits);
  }
}

TEST(ConvertErrorTest, KeepsTheWholeTextThroughCopies) {
  const std::string text =
      "1\0"s
      "2";
  try {
    StrToInt(text);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    // what() ends at the NUL; Message() has the text as given.
    EXPECT_STREQ(e.what(), "'1");
    const ConvertError copy = dynamic_cast<const ConvertError&>(e);
    EXPECT_EQ(copy.Message(),
              "'1\0"s
              "2' is not a valid integer value");
  }
}

}  // namespace
}  // namespace pelliton
