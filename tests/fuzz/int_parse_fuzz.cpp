// Differential fuzzing of the integer conversions against a deliberately plain reading of
// the same rules, plus a round trip of every 32-bit value through its decimal text.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "store/int_parse.h"

namespace {

using pelliton::ConvertError;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::uint64_t Limit(bool hex, bool unsignedDestination, bool negative) {
  if (hex || unsignedDestination) return 0xFFFFFFFFu;
  return negative ? 0x80000000u : 0x7FFFFFFFu;
}

// Strip the blanks, the sign and the prefix, let from_chars read the digits into 64 bits,
// then apply the 32-bit rules of the destination.
std::optional<std::int64_t> Reference(std::string_view text, bool unsignedDestination) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  const bool negative = text.front() == '-';
  if (text.front() == '-' || text.front() == '+') text.remove_prefix(1);
  int base = 10;
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.starts_with(prefix)) {
      base = 16;
      text.remove_prefix(prefix.size());
      break;
    }
  }
  if (text.empty()) return std::nullopt;
  // Unsigned from_chars takes neither a sign nor a prefix; anything past the digits stops it.
  std::uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;

  if (magnitude > Limit(base == 16, unsignedDestination, negative)) return std::nullopt;
  if (base == 16 && !unsignedDestination) {
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = ~bits + 1u;
    return static_cast<std::int32_t>(bits);
  }
  const auto value = static_cast<std::int64_t>(magnitude);
  return negative ? -value : value;
}

template <class Convert>
void Compare(std::string_view text, bool unsignedDestination, Convert convert) {
  const auto expected = Reference(text, unsignedDestination);
  try {
    const std::int64_t value = convert(text);
    Check(expected.has_value() && *expected == value);
  } catch (const ConvertError& e) {
    Check(!expected.has_value());
    std::string message = "'";
    message.append(text.substr(0, 64)).append(text.size() > 64 ? "..." : "");
    message.append("' is not a valid integer value");
    Check(e.Message() == message);
    Check(std::strcmp(e.what(), message.c_str()) == 0);
  }
}

void RoundTrip(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  char hex[16];
  std::snprintf(hex, sizeof hex, "$%X", bits);
  Check(pelliton::StrToInt(std::to_string(value)) == value);
  Check(pelliton::StrToInt(hex) == value);
  Check(pelliton::StrToUInt(std::to_string(bits)) == bits);
  Check(pelliton::StrToUInt(hex) == bits);
}

// Texts of numbers a little way either side of the 32-bit limits, which random bytes seldom
// spell out.
void NearTheLimits(const std::uint8_t* data) {
  constexpr std::int64_t kBases[] = {0, 2147483647, -2147483648LL, 4294967295, -4294967295LL};
  const std::int64_t base = kBases[data[0] % std::size(kBases)];
  const std::int64_t number = base + static_cast<std::int8_t>(data[1]);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(number < 0 ? -number : number);
  char hex[32];
  std::snprintf(hex, sizeof hex, "%s$%llX", number < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude));
  for (const std::string& text : {std::to_string(number), std::string(hex)}) {
    Compare(text, false, [](std::string_view t) -> std::int64_t { return pelliton::StrToInt(t); });
    Compare(text, true, [](std::string_view t) { return pelliton::StrToUInt(t); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Compare(text, false, [](std::string_view t) -> std::int64_t { return pelliton::StrToInt(t); });
  Compare(text, true, [](std::string_view t) { return pelliton::StrToUInt(t); });
  if (size >= 2) NearTheLimits(data);
  if (size >= sizeof(std::int32_t)) {
    std::int32_t value;
    std::memcpy(&value, data, sizeof value);
    RoundTrip(value);
  }
  return 0;
}
