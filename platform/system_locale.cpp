#include "platform/system_locale.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>

namespace pelliton {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw std::length_error("text too long for the code page conversion");
  }
  return static_cast<int>(length);
}

// A locale setting as the locale gives it (a separator may be more than one character).
std::u16string LocaleText(LCTYPE type) {
  wchar_t text[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(std::size(text))) == 0) {
    return {};
  }
  return std::u16string(text, text + std::wcslen(text));
}

// The one byte that stands for `text` in the code page and reads back as it, if there is one.
std::optional<char> OneByte(unsigned codePage, std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string narrow = NarrowToCodePage(codePage, text);
  if (narrow.size() != 1 || WidenFromCodePage(codePage, narrow) != text) return std::nullopt;
  return narrow[0];
}

// Code pages that reject a default character and every conversion flag.
bool TakesFallbackOptions(UINT codePage) {
  return codePage != 42 && codePage != 54936 && codePage != CP_UTF7 && codePage != CP_UTF8 &&
         !(codePage >= 50220 && codePage <= 50229) && !(codePage >= 57002 && codePage <= 57011);
}

}  // namespace

SystemLocale::SystemLocale()
    : separators_(
          SeparatorsFor(GetACP(), LocaleText(LOCALE_STHOUSAND), LocaleText(LOCALE_SDECIMAL))) {}

Separators SeparatorsFor(unsigned codePage, std::u16string_view thousands,
                         std::u16string_view decimal) {
  const std::optional<char> thousandsByte = OneByte(codePage, thousands);
  const std::optional<char> decimalByte = OneByte(codePage, decimal);
  if (!thousandsByte || !decimalByte || *thousandsByte == *decimalByte) return Separators{};
  return {*thousandsByte, *decimalByte};
}

std::u16string SystemLocale::ShortMonthName(int month) const {
  if (month < 1 || month > 12) throw std::out_of_range("month outside 1..12");
  const LCTYPE type = LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(month - 1);
  const int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
  if (size <= 1) return {};
  std::wstring name(static_cast<std::size_t>(size), L'\0');
  const int written = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, name.data(), size);
  if (written <= 1) return {};
  name.resize(static_cast<std::size_t>(written - 1));  // without the NUL
  return std::u16string(name.begin(), name.end());
}

std::u16string SystemLocale::Widen(std::string_view text) const {
  return WidenFromCodePage(GetACP(), text);
}

std::string SystemLocale::Narrow(std::u16string_view text) const {
  return NarrowToCodePage(GetACP(), text);
}

std::u16string WidenFromCodePage(unsigned codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int written = MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
  wide.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return std::u16string(wide.begin(), wide.end());
}

std::string NarrowToCodePage(unsigned codePage, std::u16string_view text) {
  if (text.empty()) return {};
  const int length = CheckedLength(text.size());
  const std::wstring wide(text.begin(), text.end());
  // Without best-fit mapping an unmappable character becomes '?' instead of a look-alike.
  const bool options = TakesFallbackOptions(codePage);
  const DWORD flags = options ? WC_NO_BEST_FIT_CHARS : 0;
  const char* fallback = options ? "?" : nullptr;
  const int size =
      WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, fallback, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  const int written = WideCharToMultiByte(codePage, flags, wide.data(), length, narrow.data(), size,
                                          fallback, nullptr);
  narrow.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return narrow;
}

}  // namespace pelliton
