#pragma once

#include <cstdint>
#include <string>

#include "metering/base/locale.h"

namespace pelliton {

// A count of kilobytes as the meter shows it: "#,##0 KB" below 1024 KB, "#,##0.00 MB" below
// 1048576 KB, "#,##0.00 GB" from there, with the locale's separators and the hundredths
// rounded half away from zero (1152 KB reads 1.13 MB).
std::string FormatDataQuantity(std::uint32_t kilobytes, Separators separators);

// Integer digits in threes: 1048575 with ',' reads 1,048,575. A locale without a thousands
// separator (NUL) gets no grouping.
std::string GroupedDigits(std::uint64_t value, char thousands);

// Octets to KB, rounded to nearest with halves to even (512 bytes give 0, 1536 give 2).
std::uint32_t OctetsToKB(std::uint32_t octets);
// The same rounding for a 64-bit counter.
std::uint64_t OctetsToKB64(std::uint64_t octets);

}  // namespace pelliton
