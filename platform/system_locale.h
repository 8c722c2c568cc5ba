#pragma once

#include <string>
#include <string_view>

#include "metering/base/locale.h"

namespace pelliton {

// The user's default locale (separators, month abbreviations) and the system ANSI code page.
// Separators are read once, at construction, as the program's formatting settings are.
class SystemLocale : public Locale {
 public:
  SystemLocale();
  Separators NumberSeparators() const override { return separators_; }
  // Throws std::out_of_range for a month outside 1..12.
  std::u16string ShortMonthName(int month) const override;
  std::u16string Widen(std::string_view text) const override;
  std::string Narrow(std::u16string_view text) const override;

 private:
  Separators separators_;
};

// The locale's separators as one byte each of the code page in which the labels and the
// history are held; "," and "." when either is not one byte there (a no-break space under
// UTF-8, say), is missing, or both would be the same.
Separators SeparatorsFor(unsigned codePage, std::u16string_view thousands,
                         std::u16string_view decimal);

// Text in a given code page to UTF-16 and back; characters the code page cannot hold become
// '?'. Throws std::length_error for texts beyond the platform's int range.
std::u16string WidenFromCodePage(unsigned codePage, std::string_view text);
std::string NarrowToCodePage(unsigned codePage, std::u16string_view text);

}  // namespace pelliton
