#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pelliton {

// The most of a bad text that an error message quotes.
inline constexpr std::size_t kQuotedLength = 64;

// "'<text>' is not a valid integer value", with the text as given, cut after kQuotedLength
// characters and then followed by "..." (a stored value may be a megabyte long).
class ConvertError : public std::runtime_error {
 public:
  explicit ConvertError(std::string_view text);
  // The whole message. what() stops at the first NUL, which a text may contain.
  std::string_view Message() const noexcept { return *message_; }

 private:
  explicit ConvertError(std::shared_ptr<const std::string> message);
  std::shared_ptr<const std::string> message_;  // shared: copying must not throw
};

// The platform's integer text: leading blanks (spaces only), an optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and nothing after the
// digits. Decimal must fit a signed 32-bit integer; hexadecimal may use all 32 bits and is
// taken as the signed integer with those bits, a '-' before it negating modulo 2^32.
// Raises ConvertError.
std::int32_t StrToInt(std::string_view text);

// The same for an unsigned 32-bit destination: a decimal magnitude up to 4294967295,
// hexadecimal taken as the unsigned integer with those bits. The sign is kept, so "-1"
// gives -1 and the caller's range check refuses it.
std::int64_t StrToUInt(std::string_view text);

}  // namespace pelliton
