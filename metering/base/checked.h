#pragma once

#include <concepts>
#include <cstdint>
#include <limits>

namespace pelliton {

// count + growth, held at the count's largest value instead of passing it: a figure that
// can only grow (the cycle's total) stops at its top and the meter goes on.
template <std::unsigned_integral T>
constexpr T SaturatedAdd(T count, std::uint64_t growth) {
  constexpr T kTop = std::numeric_limits<T>::max();
  return growth >= std::uint64_t{kTop} - count ? kTop : static_cast<T>(count + growth);
}

}  // namespace pelliton
