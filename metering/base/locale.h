#pragma once

#include <string>
#include <string_view>

namespace pelliton {

struct Separators {
  char thousands = ',';
  char decimal = '.';
};

// The user's locale, and the system code page in which the store and the labels hold text.
class Locale {
 public:
  virtual ~Locale() = default;
  virtual Separators NumberSeparators() const = 0;
  // Abbreviated name of month 1..12 as the locale gives it (any length).
  virtual std::u16string ShortMonthName(int month) const = 0;
  // System code page text to UTF-16 and back (unmappable characters become '?').
  virtual std::u16string Widen(std::string_view text) const = 0;
  virtual std::string Narrow(std::u16string_view text) const = 0;
};

}  // namespace pelliton
