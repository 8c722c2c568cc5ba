#include "store/int_parse.h"

#include <optional>
#include <utility>

namespace pelliton {

namespace {

constexpr std::uint64_t kUInt32Max = 0xFFFFFFFFu;
constexpr std::uint64_t kInt32Max = 0x7FFFFFFFu;

struct Scanned {
  bool negative = false;
  bool hex = false;
  std::uint64_t magnitude = 0;
};

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Consumes a hexadecimal prefix at `i`, if there is one.
bool SkipHexPrefix(std::string_view text, std::size_t& i) {
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    ++i;
    return true;
  }
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    i += 2;
    return true;
  }
  return false;
}

// Blanks, sign, prefix, digits, end. Decimal magnitudes above `decimalLimit` and
// hexadecimal ones above 32 bits are refused; checking after each digit keeps the
// accumulator far from overflow however long the text.
std::optional<Scanned> Scan(std::string_view text, std::uint64_t decimalLimit) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  Scanned result;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) result.negative = text[i++] == '-';
  result.hex = SkipHexPrefix(text, i);
  if (i == text.size()) return std::nullopt;
  const std::uint64_t limit = result.hex ? kUInt32Max : decimalLimit;
  const std::uint64_t base = result.hex ? 16 : 10;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], result.hex);
    if (digit < 0) return std::nullopt;
    result.magnitude = result.magnitude * base + static_cast<std::uint64_t>(digit);
    if (result.magnitude > limit) return std::nullopt;
  }
  return result;
}

// A text longer than kQuotedLength is quoted up to there, followed by "...".
std::string NotAnInteger(std::string_view text) {
  std::string message = "'";
  message.append(text.substr(0, kQuotedLength));
  if (text.size() > kQuotedLength) message.append("...");
  return message.append("' is not a valid integer value");
}

}  // namespace

ConvertError::ConvertError(std::string_view text)
    : ConvertError(std::make_shared<const std::string>(NotAnInteger(text))) {}

ConvertError::ConvertError(std::shared_ptr<const std::string> message)
    : std::runtime_error(*message), message_(std::move(message)) {}

std::int32_t StrToInt(std::string_view text) {
  // A negative decimal may reach one more than a positive one.
  const auto scanned = Scan(text, kInt32Max + 1);
  if (!scanned || (!scanned->hex && !scanned->negative && scanned->magnitude > kInt32Max)) {
    throw ConvertError(text);
  }
  auto bits = static_cast<std::uint32_t>(scanned->magnitude);
  if (scanned->negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

std::int64_t StrToUInt(std::string_view text) {
  const auto scanned = Scan(text, kUInt32Max);
  if (!scanned) throw ConvertError(text);
  const auto magnitude = static_cast<std::int64_t>(scanned->magnitude);
  return scanned->negative ? -magnitude : magnitude;
}

}  // namespace pelliton
