#include "metering/sources/router_counters.h"

#include <algorithm>
#include <vector>

namespace pelliton {

namespace {

// The line assumed when the router reports no rate: a 2 s poll on it cannot pass a 32-bit wrap.
constexpr std::uint64_t kUnknownLine = 4000000000;
// A reported rate is taken times this, and as this at least (a rate reported too low).
constexpr std::uint64_t kLineMargin = 4;
constexpr std::uint64_t kSlowestLine = 100000000;
constexpr std::uint64_t kFastestLine = 1000000000000;  // what the arithmetic takes
// Added to the time between two readings: the counters are read during a poll, not at its start.
constexpr std::uint64_t kReadingSlackMs = 1000;

// A counter at the top of 32 bits that stayed there while the other one moved.
bool StaysAtTop(std::uint64_t present, std::uint64_t base, bool otherMoved) {
  return present == kCounter32Top && base == kCounter32Top && otherMoved;
}

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  while (!text.empty() && fields.size() <= 8) {
    const std::size_t end = std::min(text.find(' '), text.size());
    fields.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return fields;
}

}  // namespace

std::uint64_t RouterStepBound(std::uint32_t elapsedMs, std::uint64_t lineBitsPerSecond) {
  std::uint64_t line = kUnknownLine;
  if (lineBitsPerSecond != 0)
    line = std::max(std::min(lineBitsPerSecond, kFastestLine) * kLineMargin, kSlowestLine);
  // Past about three hours the bound is the largest step whatever the line.
  const std::uint64_t time = std::min<std::uint64_t>(elapsedMs, 10000000) + kReadingSlackMs;
  const std::uint64_t bound = time * (line / 8) / 1000;
  return std::min(bound, kLargestRouterStep);
}

void RouterCounting::Resume(const RouterSample& kept, bool wide) {
  base_ = kept;
  baseAt_.reset();
  wide_ = wide;
}

std::optional<RouterGrowth> RouterCounting::Growth(const Taken& from, const RouterSample& sample,
                                                   const RouterPace& pace) const {
  const std::uint64_t bound =
      from.atMs ? RouterStepBound(pace.atMs - *from.atMs, pace.lineBitsPerSecond)
                : kLargestRouterStep;
  const RouterSample& old = from.sample;
  const bool uptimeFell = old.uptime && sample.uptime && *sample.uptime < *old.uptime;
  const bool bothFell = sample.down < old.down && sample.up < old.up;
  // A counter that went down either wrapped within the bound or started again.
  const auto counter = [&](std::uint64_t before, std::uint64_t now, bool stuck) {
    if (now >= before) return now - before;
    if (!wide_ && !uptimeFell && !stuck && before <= kCounter32Top) {
      const std::uint64_t wrapped = kCounter32Top - before + now + 1;
      if (wrapped <= bound) return wrapped;
    }
    return now;
  };
  RouterGrowth growth{counter(old.down, sample.down, stuckDown_),
                      counter(old.up, sample.up, stuckUp_)};
  // Both went down (a restart or a reconnect), or resumed after a stop from a router whose
  // uptime went down: what it counted since.
  if (bothFell || (!from.atMs && uptimeFell)) growth = {sample.down, sample.up};
  if (std::max(growth.down, growth.up) > bound) return std::nullopt;
  return growth;
}

void RouterCounting::Accept(const RouterSample& sample, const RouterPace& pace) {
  if (base_) {
    const bool downMoved = sample.down != base_->down;
    const bool upMoved = sample.up != base_->up;
    stuckDown_ = sample.down == kCounter32Top &&
                 (stuckDown_ || StaysAtTop(sample.down, base_->down, upMoved));
    stuckUp_ =
        sample.up == kCounter32Top && (stuckUp_ || StaysAtTop(sample.up, base_->up, downMoved));
    if (Stuck() && !noticeGiven_) noticeDue_ = true;
  }
  wide_ = wide_ || std::max(sample.down, sample.up) > kCounter32Top;
  base_ = sample;
  baseAt_ = pace.atMs;
  refused_.reset();
}

RouterGrowth RouterCounting::Step(const RouterSample& sample, const RouterPace& pace) {
  if (!base_) {
    Accept(sample, pace);
    return {};
  }
  std::optional<RouterGrowth> growth = Growth({*base_, baseAt_}, sample, pace);
  // Two refused readings in a row that agree: the counters moved once and stay there.
  if (!growth && refused_ && sample.down >= refused_->sample.down &&
      sample.up >= refused_->sample.up)
    growth = Growth(*refused_, sample, pace);
  if (!growth) {
    refused_ = Taken{sample, pace.atMs};
    refusedSeen_ = true;
    return {};
  }
  Accept(sample, pace);
  return *growth;
}

std::string RouterCounting::TakeNotice() {
  if (!noticeDue_) return {};
  noticeDue_ = false;
  noticeGiven_ = true;
  return "The router's " + std::string(stuckDown_ ? "download" : "upload") +
         " counter has stopped at 4,294,967,295 bytes and no longer counts. The meter counts "
         "nothing of it until the router restarts, so its figure runs short of the bill.";
}

std::string RouterCounting::StuckLine() const {
  if (!Stuck()) return refusedSeen_ ? "A reading of the router was refused" : "";
  return std::string("Router's ") + (stuckDown_ ? "download" : "upload") + " counter stopped";
}

std::string FormatKeptRouter(const KeptRouter& kept) {
  const RouterSample& sample = kept.sample;
  std::string text = kept.udn;
  text += kept.wide ? " 64 " : " 32 ";
  text += std::to_string(sample.down) + ' ' + std::to_string(sample.up) + ' ';
  return text += sample.uptime ? std::to_string(*sample.uptime) : "-";
}

std::optional<KeptRouter> ParseKeptRouter(std::string_view text) {
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() != 5 || (fields[1] != "64" && fields[1] != "32")) return std::nullopt;
  const auto udn = ParseRouterId(fields[0]);
  const auto down = ParseRouterNumber(fields[2]);
  const auto up = ParseRouterNumber(fields[3]);
  const auto uptime = ParseRouterNumber(fields[4]);
  if (!udn || !down || !up || (!uptime && fields[4] != "-")) return std::nullopt;
  const bool wide = fields[1] == "64";
  if (!wide && std::max(*down, *up) > kCounter32Top) return std::nullopt;
  return KeptRouter{*udn, wide, {*down, *up, uptime, false}};
}

}  // namespace pelliton
