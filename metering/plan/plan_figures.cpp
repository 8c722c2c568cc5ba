#include "metering/plan/plan_figures.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>

namespace pelliton {

namespace {

namespace chr = std::chrono;

constexpr std::int64_t kMinutesPerDay = 1440;
constexpr std::uint64_t kLargestFigureKB = std::uint64_t{1} << 48;
constexpr std::size_t kFields = 10;
constexpr std::size_t kLongestField = 15;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

std::uint32_t DateNumber(chr::sys_days day) {
  const chr::year_month_day ymd{day};
  return static_cast<std::uint32_t>(int{ymd.year()}) * 10000 + unsigned{ymd.month()} * 100 +
         unsigned{ymd.day()};
}

std::optional<chr::sys_days> DayOfNumber(std::uint64_t yyyymmdd) {
  const chr::year_month_day ymd{chr::year{static_cast<int>(yyyymmdd / 10000)},
                                chr::month{static_cast<unsigned>(yyyymmdd / 100 % 100)},
                                chr::day{static_cast<unsigned>(yyyymmdd % 100)}};
  if (yyyymmdd / 10000 < 1601 || yyyymmdd / 10000 > 9999 || !ymd.ok()) return std::nullopt;
  return chr::sys_days{ymd};
}

std::optional<std::uint64_t> Digits(std::string_view text) {
  if (text.empty() || text.size() > kLongestField ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text)
    value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

// `kb` times part / whole, rounded to nearest, without overflow (part at most whole).
std::uint64_t Share(std::uint64_t kb, std::int64_t part, std::int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  auto w = static_cast<std::uint64_t>(whole);
  auto p = std::min(static_cast<std::uint64_t>(part), w);
  while (w > (std::uint64_t{1} << 31)) w >>= 1, p >>= 1;  // spans of millennia
  return kb / w * p + (kb % w * p + w / 2) / w;
}

std::uint64_t Less(std::uint64_t figure, std::uint64_t taken) {
  return figure > taken ? figure - taken : 0;
}

}  // namespace

std::string FormatPlanFigures(const PlanFigures& f) {
  std::string text;
  for (std::uint64_t field : {std::uint64_t{f.total}, f.windowKB, f.stamp, std::uint64_t{f.day},
                              f.dayKB, f.dayWindowKB, f.addedKB, f.addedWindowKB, f.addedDayKB,
                              f.addedDayWindowKB}) {
    if (!text.empty()) text += ',';
    text += std::to_string(field);
  }
  return text;
}

std::optional<PlanFigures> ParsePlanFigures(std::string_view text) {
  std::array<std::uint64_t, kFields> v{};
  std::size_t count = 0;
  for (std::size_t start = 0; start <= text.size(); ++count) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const auto value = Digits(text.substr(start, comma - start));
    if (count >= kFields || !value) return std::nullopt;
    v[count] = *value;
    start = comma + 1;
  }
  if (count != kFields || v[0] > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  for (const std::size_t i : {1u, 4u, 5u, 6u, 7u, 8u, 9u})
    if (v[i] > kLargestFigureKB) return std::nullopt;
  if ((v[2] != 0 && !StampMinute(v[2])) || (v[3] != 0 && !DayOfNumber(v[3]))) return std::nullopt;
  return PlanFigures{static_cast<std::uint32_t>(v[0]), v[1], v[2], static_cast<std::uint32_t>(v[3]),
                     v[4], v[5], v[6], v[7], v[8], v[9]};
}

PlanFigures SettledPlanFigures(std::string_view text, std::uint32_t storedTotal) {
  const std::optional<PlanFigures> parsed = ParsePlanFigures(text);
  if (!parsed) return PlanFigures{.total = storedTotal};
  PlanFigures f = *parsed;
  if (f.total != storedTotal && f.addedKB != 0 &&
      std::uint64_t{storedTotal} + f.addedKB == f.total) {
    f.windowKB = Less(f.windowKB, f.addedWindowKB);
    f.dayKB = Less(f.dayKB, f.addedDayKB);
    f.dayWindowKB = Less(f.dayWindowKB, f.addedDayWindowKB);
  }
  f.total = storedTotal;
  f.addedKB = f.addedWindowKB = f.addedDayKB = f.addedDayWindowKB = 0;
  f.windowKB = std::min<std::uint64_t>(f.windowKB, storedTotal);
  return f;
}

std::optional<std::int64_t> LocalMinute(const LocalDateTime& time) {
  const chr::year_month_day ymd{chr::year{time.Year}, chr::month{time.Month}, chr::day{time.Day}};
  if (time.Year < 1601 || time.Year > 9999 || !ymd.ok() || time.Hour > 23 || time.Minute > 59)
    return std::nullopt;
  return std::int64_t{chr::sys_days{ymd}.time_since_epoch().count()} * kMinutesPerDay +
         time.Hour * 60 + time.Minute;
}

std::optional<std::int64_t> StampMinute(std::uint64_t stamp) {
  const std::uint64_t minute = stamp % 100;
  const std::uint64_t hour = stamp / 100 % 100;
  const auto day = DayOfNumber(stamp / 10000);
  if (!day || hour > 23 || minute > 59) return std::nullopt;
  return std::int64_t{day->time_since_epoch().count()} * kMinutesPerDay +
         static_cast<std::int64_t>(hour * 60 + minute);
}

std::uint64_t StampOf(const LocalDateTime& time) {
  if (!LocalMinute(time)) return 0;
  return ((std::uint64_t{time.Year} * 100 + time.Month) * 100 + time.Day) * 10000 +
         time.Hour * 100u + time.Minute;
}

bool InWindow(const PlanSettings& s, int minuteOfDay) {
  if (!s.hasWindow) return false;
  if (s.windowStart < s.windowEnd)
    return minuteOfDay >= s.windowStart && minuteOfDay < s.windowEnd;
  return minuteOfDay >= s.windowStart || minuteOfDay < s.windowEnd;
}

std::int64_t WindowMinutesUpTo(const PlanSettings& s, std::int64_t minute) {
  if (!s.hasWindow) return 0;
  const std::int64_t start = s.windowStart;
  const std::int64_t end = s.windowEnd;
  const std::int64_t days = FloorDiv(minute, kMinutesPerDay);
  const std::int64_t rest = FloorMod(minute, kMinutesPerDay);
  if (start < end) return days * (end - start) + std::clamp(rest - start, std::int64_t{0}, end - start);
  return days * (kMinutesPerDay - start + end) + std::min(rest, end) +
         std::max(rest - start, std::int64_t{0});
}

std::int64_t DailyStart(const PlanSettings& s, std::int64_t minute) {
  const std::int64_t reset = std::int64_t{std::min<std::uint8_t>(s.dailyResetHour, 23)} * 60;
  return FloorDiv(minute - reset, kMinutesPerDay) * kMinutesPerDay + reset;
}

std::uint32_t DailyDay(const PlanSettings& s, std::int64_t minute) {
  return DateNumber(chr::sys_days{chr::days{FloorDiv(DailyStart(s, minute), kMinutesPerDay)}});
}

PlanShare SplitGrowth(const PlanSettings& s, std::optional<std::int64_t> last, std::int64_t now,
                      std::uint64_t tickKB, std::uint64_t stoppedKB) {
  const bool inNow = InWindow(s, static_cast<int>(FloorMod(now, kMinutesPerDay)));
  if (!last || *last >= now) tickKB += stoppedKB, stoppedKB = 0;
  PlanShare share{inNow ? tickKB : 0, tickKB, inNow ? tickKB : 0};
  if (stoppedKB == 0) return share;
  const std::int64_t span = now - *last;
  const std::int64_t dayFrom = std::max(*last, DailyStart(s, now));
  const std::int64_t window = WindowMinutesUpTo(s, now) - WindowMinutesUpTo(s, *last);
  share.windowKB += Share(stoppedKB, window, span);
  share.dayKB += Share(stoppedKB, now - dayFrom, span);
  share.dayWindowKB += Share(stoppedKB, WindowMinutesUpTo(s, now) - WindowMinutesUpTo(s, dayFrom), span);
  return share;
}

std::uint64_t AllowanceKB(std::uint32_t capMB) {
  return std::min<std::uint64_t>(std::uint64_t{capMB} * 1024, std::numeric_limits<std::uint32_t>::max());
}

std::uint64_t OutsideMainKB(const PlanSettings& s, const PlanFigures& f) {
  if (!s.hasWindow) return 0;
  if (s.rule == OffPeakRule::OwnThenMain) return std::min(f.windowKB, AllowanceKB(s.offPeakCapMB));
  return f.windowKB;
}

std::uint64_t MainUsedKB(const PlanSettings& s, const PlanFigures& f) {
  return Less(f.total, OutsideMainKB(s, f));
}

std::uint64_t OffPeakUsedKB(const PlanSettings& s, const PlanFigures& f) {
  if (!s.hasWindow || s.rule == OffPeakRule::Free) return 0;
  return OutsideMainKB(s, f);
}

std::uint64_t DailyUsedKB(const PlanSettings& s, const PlanFigures& f, std::uint32_t today) {
  if (f.day != today) return 0;
  const bool free = s.hasWindow && s.rule == OffPeakRule::Free;
  return Less(f.dayKB, free ? f.dayWindowKB : 0);
}

}  // namespace pelliton
