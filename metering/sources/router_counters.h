#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/sources/router_answers.h"

namespace pelliton {

// The household's router read over UPnP: how its two counters are counted, and how the
// store keeps its readings.

inline constexpr std::uint64_t kCounter32Top = 4294967295;

struct RouterGrowth {
  std::uint64_t down = 0;
  std::uint64_t up = 0;
  bool operator==(const RouterGrowth&) const = default;
};

// The growth of the router's counters from one reading to the next.
// - A router that ever sends a value above 2^32 - 1 is taken for a 64-bit one: exact, and
//   either counter going down means its counters started again.
// - Otherwise a counter that went down wrapped at 2^32, unless both went down together: the
//   router restarted or reconnected (a reconnect resets them while its uptime goes on), and
//   the new values are what it counted since. An uptime that went down tells the same.
// - A counter that stays at 4,294,967,295 while the other moves has stopped counting
//   (stuck): it counts nothing until it reads lower, and then counts from its new value.
// - A step larger than any line carries between two readings is no figure: the readings
//   become the base and nothing is counted.
class RouterCounting {
 public:
  // Takes a stored reading as the base, so that the first reading counts what passed since.
  void Resume(const RouterSample& kept, bool wide);
  RouterGrowth Step(const RouterSample& sample);

  const std::optional<RouterSample>& Base() const { return base_; }
  bool Wide() const { return wide_; }
  bool Stuck() const { return stuckDown_ || stuckUp_; }
  // A plain-words notice the first time a counter is found stuck; empty afterwards.
  std::string TakeNotice();
  // The tip's line while a counter is stuck; empty otherwise.
  std::string StuckLine() const;

 private:
  std::optional<RouterSample> base_;
  bool wide_ = false;
  bool stuckDown_ = false;
  bool stuckUp_ = false;
  bool noticeDue_ = false;
  bool noticeGiven_ = false;
};

// More than this between two readings is no figure (4 TB: an hour at 9 Gbit/s).
inline constexpr std::uint64_t kLargestRouterStep = std::uint64_t{1} << 42;

// The router's readings as the store keeps them ("LastRouter"), so that the next start
// counts what the household used while this PC was off: its UDN, the counters' width, the
// reading and its uptime ("-" when it gave none), apart by blanks. One text, written at
// once: it never reads half-written.
struct KeptRouter {
  std::string udn;
  bool wide = false;
  RouterSample sample;
  bool operator==(const KeptRouter&) const = default;
};
std::string FormatKeptRouter(const KeptRouter& kept);
// Nothing when any part is missing or unreadable.
std::optional<KeptRouter> ParseKeptRouter(std::string_view text);

}  // namespace pelliton
