#pragma once

#include <string>
#include <string_view>

#include "store/errors.h"
#include "store/int_parse.h"
#include "store/settings_store.h"

namespace pelliton::testing {

// What a call gave, as one comparable text: its number, or the kind of error it raised
// with the whole message ("convert: ...", "range: ...", "store: ...").
template <class Call>
std::string Outcome(Call&& call) {
  std::string outcome;
  try {
    return std::to_string(call());
  } catch (const ConvertError& e) {
    outcome.append("convert: ").append(e.Message());
  } catch (const RangeError& e) {
    outcome.append("range: ").append(e.what());
  } catch (const RegistryError& e) {
    outcome.append("store: ").append(e.what());
  }
  return outcome;
}

// The conversion error's outcome; a text over 64 characters is quoted up to there, then "...".
inline std::string NotAnInteger(std::string_view text) {
  std::string outcome = "convert: '";
  outcome.append(text.substr(0, 64)).append(text.size() > 64 ? "..." : "");
  outcome.append("' is not a valid integer value");
  return outcome;
}

inline const std::string kRangeCheck = "range: Range check error";

}  // namespace pelliton::testing
