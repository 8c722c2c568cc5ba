#include "metering/base/data_quantity.h"

namespace pelliton {

std::uint32_t OctetsToKB(std::uint32_t octets) {
  return static_cast<std::uint32_t>(OctetsToKB64(octets));
}

std::uint64_t OctetsToKB64(std::uint64_t octets) {
  const std::uint64_t kilobytes = octets >> 10;
  const std::uint64_t rest = octets & 1023;
  const bool up = rest > 512 || (rest == 512 && (kilobytes & 1) != 0);
  return up ? kilobytes + 1 : kilobytes;
}

std::string GroupedDigits(std::uint64_t value, char thousands) {
  const std::string digits = std::to_string(value);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0 && thousands != '\0') text += thousands;
    text += digits[i];
  }
  return text;
}

namespace {

constexpr std::uint64_t kKilobytesPerMegabyte = 1024;
constexpr std::uint64_t kKilobytesPerGigabyte = 1024 * 1024;

// kilobytes / unit to two decimals, halves away from zero. Integer arithmetic, so an exact
// half (1152 KB is 1.125 MB) is never tipped either way by a binary fraction.
std::string Hundredths(std::uint64_t kilobytes, std::uint64_t unit, Separators separators) {
  const std::uint64_t hundredths = (kilobytes * 100 + unit / 2) / unit;
  const std::uint64_t fraction = hundredths % 100;
  std::string text = GroupedDigits(hundredths / 100, separators.thousands);
  text += separators.decimal;
  text += static_cast<char>('0' + fraction / 10);
  text += static_cast<char>('0' + fraction % 10);
  return text;
}

}  // namespace

std::string FormatDataQuantity(std::uint32_t kilobytes, Separators separators) {
  if (kilobytes < kKilobytesPerMegabyte) {
    return GroupedDigits(kilobytes, separators.thousands) + " KB";
  }
  if (kilobytes < kKilobytesPerGigabyte) {
    return Hundredths(kilobytes, kKilobytesPerMegabyte, separators) + " MB";
  }
  return Hundredths(kilobytes, kKilobytesPerGigabyte, separators) + " GB";
}

}  // namespace pelliton
