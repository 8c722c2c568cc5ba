#include "metering/sources/router_counters.h"

#include <algorithm>
#include <vector>

namespace pelliton {

namespace {

constexpr std::uint64_t kCounter32Range = kCounter32Top + 1;

// Growth of one counter that did not start again: exact in 64 bits; in 32 bits a reading
// that went down wrapped, unless it was stuck at the top (then it was reset).
std::uint64_t Delta(std::uint64_t present, std::uint64_t base, bool wide, bool stuck) {
  if (present >= base) return present - base;
  if (wide || stuck) return present;
  return present + kCounter32Range - (base % kCounter32Range);
}

// Whether the router started counting again since `base`.
bool Restarted(const RouterSample& base, const RouterSample& present, bool wide) {
  if (base.uptime && present.uptime && *present.uptime < *base.uptime) return true;
  const bool downFell = present.down < base.down;
  const bool upFell = present.up < base.up;
  return wide ? downFell || upFell : downFell && upFell;
}

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

void RouterCounting::Resume(const RouterSample& kept, bool wide) {
  base_ = kept;
  wide_ = wide;
}

RouterGrowth RouterCounting::Step(const RouterSample& sample) {
  wide_ = wide_ || std::max(sample.down, sample.up) > kCounter32Top;
  if (!base_) {
    base_ = sample;
    return {};
  }
  const RouterSample base = *base_;
  base_ = sample;
  RouterGrowth growth{sample.down, sample.up};
  if (!Restarted(base, sample, wide_)) {
    growth = {Delta(sample.down, base.down, wide_, stuckDown_),
              Delta(sample.up, base.up, wide_, stuckUp_)};
  }
  const bool downMoved = sample.down != base.down;
  const bool upMoved = sample.up != base.up;
  stuckDown_ =
      sample.down == kCounter32Top && (stuckDown_ || StaysAtTop(sample.down, base.down, upMoved));
  stuckUp_ = sample.up == kCounter32Top && (stuckUp_ || StaysAtTop(sample.up, base.up, downMoved));
  if (Stuck() && !noticeGiven_) noticeDue_ = true;
  if (std::max(growth.down, growth.up) > kLargestRouterStep) return {};
  return growth;
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
  if (!Stuck()) return {};
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
