#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "metering/sources/router_http.h"

namespace pelliton {

// Sends `request` to `url`'s address and port and returns the body of a "200" answer of at
// most `longest` bytes, or nothing. Everything, the connect included, ends by `deadline` (a
// GetTickCount value): a device that answers slowly or not at all holds the caller no longer.
// Winsock must be started on the calling thread.
std::optional<std::string> HttpExchange(const HttpUrl& url, std::string_view request,
                                        DWORD deadline, std::size_t longest);

// The milliseconds left until `deadline`, 0 once it has passed.
DWORD MillisecondsLeft(DWORD deadline);

}  // namespace pelliton
