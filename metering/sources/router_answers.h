#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelliton {

// The household's router read over UPnP: what the program takes from its answers, and how
// its two counters are counted. Everything the router sends is untrusted: a figure is a
// decimal of digits only within 64 bits, a name a bounded printable text, and anything else
// is no reading.

inline constexpr std::size_t kLongestRouterNumber = 20;  // digits of 2^64 - 1
inline constexpr std::size_t kLongestRouterName = 64;    // a friendly name as the dialog shows it
inline constexpr std::size_t kLongestRouterId = 128;     // a UDN, "uuid:" and 36 characters

// A decimal of 1 to kLongestRouterNumber digits (no sign, blank or other character) that
// fits 64 bits.
std::optional<std::uint64_t> ParseRouterNumber(std::string_view text);
// Printable ASCII (32 to 126), trimmed of blanks at both ends, 1 to `longest` characters.
std::optional<std::string> ParseRouterText(std::string_view text, std::size_t longest);
// A UDN: as ParseRouterText with kLongestRouterId, without blanks inside, "uuid:" (in either
// case) and more.
std::optional<std::string> ParseRouterId(std::string_view text);

// The router's texts of one poll, as its answers gave them; absent where an answer failed or
// lacked the element.
struct RouterAnswers {
  std::optional<std::string> received;  // NewTotalBytesReceived
  std::optional<std::string> sent;      // NewTotalBytesSent
  std::optional<std::string> status;    // NewConnectionStatus
  std::optional<std::string> uptime;    // NewUptime, seconds
  std::optional<std::string> physical;  // NewPhysicalLinkStatus
};

// One reading of the router: octets its internet side received (the household's download)
// and sent (its upload), its uptime where it gave one, and whether its internet link is up.
struct RouterSample {
  std::uint64_t down = 0;
  std::uint64_t up = 0;
  std::optional<std::uint64_t> uptime;
  bool linkUp = false;
  bool operator==(const RouterSample&) const = default;
};

// Both counters must read as figures; an error of the library (a fault, a missing element,
// a failed request) is no reading. The link is up when the connection reads "Connected" or
// the physical link "Up".
std::optional<RouterSample> ReadRouterSample(const RouterAnswers& answers);

// The IPv4 address of an "http://a.b.c.d[:port]/..." URL, in host order; nothing for any
// other URL (a name, IPv6, another scheme), which the program never talks to.
std::optional<std::uint32_t> UrlIPv4(std::string_view url);

// Whether the tag whose text follows its element's name, `rest`, closes itself ("/>").
bool ClosesItself(std::string_view rest);

// The root device of a device description, read element by element as the library's XML
// parser reports them: its friendly name and its UDN, the first of each directly inside the
// root's <device>; any other element, and anything deeper, is ignored. The parser reports
// no end of an element that closes itself (<modelURL/>): its start says so.
class DescriptionReader {
 public:
  void Start(std::string_view element, bool closed = false);
  void End();
  void Data(std::string_view text);
  std::optional<std::string> FriendlyName() const;
  std::optional<std::string> Udn() const;

 private:
  int depth_ = 0;
  bool inRootDevice_ = false;
  std::string element_;
  std::optional<std::string> name_;
  std::optional<std::string> udn_;
};

}  // namespace pelliton
