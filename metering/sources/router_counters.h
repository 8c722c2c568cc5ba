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

// When a reading was taken (a millisecond count that wraps at 2^32, as GetTickCount) and
// what the router's internet link can carry (its reported rate, 0 when it reports none).
struct RouterPace {
  std::uint32_t atMs = 0;
  std::uint64_t lineBitsPerSecond = 0;
};

// The growth of the router's counters from one reading to the next. A step is bounded by the
// time since the last reading taken times what the line can carry (RouterStepBound); a
// reading with a step beyond it is refused: it counts nothing, the base stays, and nothing
// is learnt from it.
// - A counter that went up carries on.
// - A counter that went down wrapped at 2^32 only when the router is no 64-bit one and the
//   wrap lies within the bound (its old value near the top, its new one near zero);
//   otherwise that counter alone started again and counts its new value. Both going down is
//   a restart or a reconnect: both count their new values. Within a run an uptime that went
//   down only says that a counter that went down started again (the UPnP service may restart
//   while the counters carry on); resuming from a kept reading, it means that the router
//   restarted, and both count their new values.
// - A router whose accepted readings ever exceed 2^32 - 1 is taken for a 64-bit one.
// - A counter that stays at 4,294,967,295 while the other moves has stopped counting
//   (stuck): it counts nothing until it reads lower, and then counts from its new value.
// - Readings refused twice in a row that agree with each other become the base, and only
//   the step between them counts (a counter that jumped once and stays there).
class RouterCounting {
 public:
  // Takes a stored reading as the base, so that the first reading counts what passed since.
  void Resume(const RouterSample& kept, bool wide);
  RouterGrowth Step(const RouterSample& sample, const RouterPace& pace);

  const std::optional<RouterSample>& Base() const { return base_; }
  bool Wide() const { return wide_; }
  bool Stuck() const { return stuckDown_ || stuckUp_; }
  // A plain-words notice the first time a counter is found stuck; empty afterwards.
  std::string TakeNotice();
  // The tip's line while a counter is stuck, or once a reading was refused; empty otherwise.
  std::string StuckLine() const;

 private:
  struct Taken {
    RouterSample sample;
    std::optional<std::uint32_t> atMs;  // none: kept by the store, its time unknown
  };
  std::optional<RouterGrowth> Growth(const Taken& from, const RouterSample& sample,
                                     const RouterPace& pace) const;
  void Accept(const RouterSample& sample, const RouterPace& pace);

  std::optional<RouterSample> base_;
  std::optional<std::uint32_t> baseAt_;
  std::optional<Taken> refused_;
  bool wide_ = false;
  bool stuckDown_ = false;
  bool stuckUp_ = false;
  bool noticeDue_ = false;
  bool noticeGiven_ = false;
  bool refusedSeen_ = false;
};

// The most a counter may grow in `elapsedMs` on a line of `lineBitsPerSecond` (0: unknown),
// with a margin; kLargestRouterStep at most.
std::uint64_t RouterStepBound(std::uint32_t elapsedMs, std::uint64_t lineBitsPerSecond);

// More than this between two readings is no figure (4 TB: an hour at 9 Gbit/s), also when
// the time between them is unknown (a reading kept while this PC was off).
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
