#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace pelliton {

// The text the error box shows: the message, with a full stop added when its last
// character has a code above that of the full stop ("Range check error." but
// "Failed to set data for 'Top'").
std::string ErrorBoxText(std::string_view message);

// The message of whatever was thrown ("Out of memory" for an allocation failure).
std::string ExceptionMessage(const std::exception& error);

}  // namespace pelliton
