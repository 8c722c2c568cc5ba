#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "store/settings_store.h"

namespace pelliton {

// How many times a read starts over when the value grew after its size was taken.
inline constexpr int kRegistryReadAttempts = 4;

// The text of one string value. `query(type, data, size)` has RegQueryValueExA's contract for
// that value: with a null `data` it reports type and size only. Anything another program may
// have stored is handled: a missing, vanishing or ever-growing value gives empty text, only
// the returned byte count is read (no terminator is assumed), and the text ends at its first
// NUL. Types other than REG_SZ and REG_EXPAND_SZ raise InvalidDataType; nothing is expanded.
// With `Char` wchar_t, the same for RegQueryValueExW.
template <class Char = char, class Query>
std::basic_string<Char> ReadStringValue(Query&& query, std::string_view name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (query(&type, nullptr, &size) != ERROR_SUCCESS || size == 0) return {};

  std::vector<BYTE> buffer;
  DWORD filled = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kRegistryReadAttempts) return {};
    buffer.resize(size);
    filled = size;
    const LONG result = query(&type, buffer.data(), &filled);
    if (result == ERROR_SUCCESS) break;
    if (result != ERROR_MORE_DATA) return {};
    size = std::max(size, filled);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError::InvalidDataType(name);

  const auto* begin = reinterpret_cast<const Char*>(buffer.data());
  const auto* end = begin + std::min<std::size_t>(filled, buffer.size()) / sizeof(Char);
  return std::basic_string<Char>(begin, std::find(begin, end, Char{}));
}

}  // namespace pelliton
