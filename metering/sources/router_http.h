#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelliton {

// The little HTTP the program speaks with the household's router: its requests, and what it
// takes from an answer. Everything the router sends is untrusted.

// An "http://a.b.c.d[:port][/path]" URL: a numeric IPv4 address (host order), its port (80
// when none is given) and its path ("/" when none is given).
struct HttpUrl {
  std::uint32_t address = 0;
  std::uint16_t port = 80;
  std::string path = "/";
  bool operator==(const HttpUrl&) const = default;
};
// Nothing for any other URL (a name, IPv6, another scheme, a blank or control character).
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// "192.168.1.1" for an address in host order.
std::string AddressText(std::uint32_t address);

// Whether a request may go to `address`: never to the loopback range, "this network" (0/8),
// multicast or broadcast; whether it lies on one of this PC's own subnets is asked apart.
bool RoutableLanAddress(std::uint32_t address);

// The GET of a description, and the POST of a SOAP action without arguments.
std::string HttpGet(const HttpUrl& url);
std::string SoapRequest(const HttpUrl& url, std::string_view service, std::string_view action);

// How much of an answer has come: nothing yet decided, or whole (its body can be taken).
// `raw` is everything received so far; `closed` says the other side has closed.
bool HttpAnswerComplete(std::string_view raw, bool closed);
// The body of a whole "200" answer, its chunks joined; nothing for any other answer.
std::optional<std::string> HttpAnswerBody(std::string_view raw);

}  // namespace pelliton
