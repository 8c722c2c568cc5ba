#pragma once

#include "metering/locale.h"

namespace pelliton {

// The user's default locale (separators, month abbreviations) and the system ANSI code page.
// Separators are read once, at construction, as the program's formatting settings are.
class SystemLocale : public Locale {
 public:
  SystemLocale();
  Separators NumberSeparators() const override { return separators_; }
  std::u16string ShortMonthName(int month) const override;
  std::u16string Widen(std::string_view text) const override;
  std::string Narrow(std::u16string_view text) const override;

 private:
  Separators separators_;
};

}  // namespace pelliton
