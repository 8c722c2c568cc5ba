#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metering/sources/router_counters.h"

namespace pelliton {

// A router that answered the search on the local network, and its latest reading.
struct RouterSighting {
  std::string udn;                       // what knows it again, whatever its address
  std::string name;                      // its friendly name, checked (metering/router_counters.h)
  std::string address;                   // its address on the local network, "192.168.1.1"
  bool linkUp = false;                   // its internet link, at the last poll that answered
  std::uint64_t speedBitsPerSecond = 0;  // its internet link's downstream rate
  std::optional<RouterSample> sample;    // none: it did not answer at the last poll
  std::uint64_t upSpeedBitsPerSecond = 0;  // its internet link's upstream rate
  std::uint32_t readAtMs = 0;              // when the poll began, a GetTickCount-like count
};

// "Router: <its friendly name> (<its address>)", as the dialog and the tip name it.
std::string RouterLine(const RouterSighting& router);

// The household's router, read over UPnP off the user-interface thread: the search and every
// poll run on a worker, and these calls only take what it has so far; none of them blocks.
class RouterSource {
 public:
  virtual ~RouterSource() = default;
  // Starts a search when none has run or the last one is over; the routers found so far.
  virtual std::vector<RouterSighting> Found() = 0;
  // The router to poll, by its UDN (found again when its address changes); empty: none, and
  // the worker stops polling. A router followed anew gives no reading older than that.
  virtual void Follow(const std::string& udn) = 0;
  // The followed router as its last poll left it; nothing before it has been found.
  virtual std::optional<RouterSighting> Latest() = 0;
};

}  // namespace pelliton
