#include "store/catalogue.h"

#include <stdexcept>
#include <utility>

#include "store/errors.h"
#include "store/int_parse.h"

namespace pelliton {

namespace {

std::string Read(SettingsStore& store, const StoredValue& value) {
  return store.ReadRegistry(RootKey::CurrentUser, value.key, value.name);
}

bool IsNumber(const StoredValue& value) {
  return value.form == TextForm::Signed || value.form == TextForm::Unsigned;
}

// What `read` gives, or `absent` for a bad stored value, which `bad` keeps.
template <class T, class Read>
T OrAbsent(BadValues& bad, T absent, Read&& read) {
  try {
    return read();
  } catch (const ConvertError&) {
    bad.Keep(std::current_exception());
  } catch (const RangeError&) {
    bad.Keep(std::current_exception());
  } catch (const RegistryError&) {
    bad.Keep(std::current_exception());
  }
  return absent;
}

}  // namespace

std::string ReadValueText(SettingsStore& store, const StoredValue& value) {
  std::string text = Read(store, value);
  return text.empty() ? std::string(value.defaultText) : text;
}

std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value) {
  if (value.defaultFromCaller) {
    throw std::logic_error(std::string(value.name).append(" needs the caller's default"));
  }
  return ReadValueNumber(store, value, value.defaultNumber);
}

std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value,
                             std::int64_t defaultNumber) {
  if (!IsNumber(value)) throw std::logic_error(std::string(value.name).append(" is not a number"));
  const std::string text = Read(store, value);
  if (text.empty()) return defaultNumber;
  const std::int64_t number =
      value.form == TextForm::Unsigned ? StrToUInt(text) : std::int64_t{StrToInt(text)};
  if (number < value.min || number > value.max) throw RangeError();
  return number;
}

bool ReadValueFlag(SettingsStore& store, const StoredValue& value) {
  const std::string text = Read(store, value);
  return value.form == TextForm::FlagOn ? text != "0" : text == "1";
}

void BadValues::Keep(std::exception_ptr error) noexcept {
  if (!first_) first_ = std::move(error);
}

void BadValues::RaiseFirst() const {
  if (first_) std::rethrow_exception(first_);
}

std::string ReadValueText(SettingsStore& store, const StoredValue& value, BadValues& bad) {
  return OrAbsent(bad, std::string(value.defaultText), [&] { return ReadValueText(store, value); });
}

std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value, BadValues& bad) {
  return OrAbsent(bad, value.defaultNumber, [&] { return ReadValueNumber(store, value); });
}

std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value,
                             std::int64_t defaultNumber, BadValues& bad) {
  return OrAbsent(bad, defaultNumber, [&] { return ReadValueNumber(store, value, defaultNumber); });
}

bool ReadValueFlag(SettingsStore& store, const StoredValue& value, BadValues& bad) {
  return OrAbsent(bad, value.defaultNumber != 0, [&] { return ReadValueFlag(store, value); });
}

void WriteValueText(SettingsStore& store, const StoredValue& value, std::string_view text) {
  store.WriteRegistry(RootKey::CurrentUser, value.key, value.name, text);
}

void WriteValueNumber(SettingsStore& store, const StoredValue& value, std::int64_t number) {
  WriteValueText(store, value, std::to_string(number));
}

void WriteValueFlag(SettingsStore& store, const StoredValue& value, bool on) {
  WriteValueText(store, value, on ? "1" : "0");
}

}  // namespace pelliton
