#pragma once

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace pelliton {

// A figure that does not fit the field it is meant for. Arithmetic on the meter's figures
// raises this instead of wrapping.
class RangeError : public std::runtime_error {
 public:
  RangeError() : std::runtime_error("Range check error") {}
};

// Narrows a wide intermediate result into a field's type.
template <class T>
constexpr T CheckedNarrow(std::int64_t value) {
  if (!std::in_range<T>(value)) throw RangeError();
  return static_cast<T>(value);
}

// field + delta, in the field's own width.
template <class T>
constexpr T CheckedAdd(T field, std::int64_t delta) {
  return CheckedNarrow<T>(static_cast<std::int64_t>(field) + delta);
}

}  // namespace pelliton
