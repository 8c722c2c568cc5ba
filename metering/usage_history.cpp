#include "metering/usage_history.h"

#include <algorithm>
#include <limits>

#include "metering/checked.h"
#include "metering/meter_context.h"
#include "metering/meter_state.h"
#include "metering/usage_text.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

constexpr std::uint32_t kLargestTotal = std::numeric_limits<std::uint32_t>::max();

// A stored text, or nothing for one that cannot be read (a value of another type).
std::string ReadForgiving(SettingsStore& store, const StoredValue& value) {
  try {
    return ReadValueText(store, value);
  } catch (const RegistryError&) {
    return {};
  }
}

std::optional<std::uint32_t> StoredTotal(SettingsStore& store) {
  try {
    return static_cast<std::uint32_t>(ReadValueNumber(store, stored::TotalData));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::uint64_t Less(std::uint64_t figure, std::uint64_t taken) {
  return figure > taken ? figure - taken : 0;
}

bool HasTraffic(const DayUsage& day) {
  return day.downKB != 0 || day.upKB != 0 || day.correctionKB != 0;
}

bool HasTraffic(const HourUsage& hour) {
  return hour.downKB != 0 || hour.upKB != 0;
}

std::string Token(const DayUsage& day) { return DayToken(day); }
std::string Token(const HourUsage& hour) { return HourToken(hour); }

template <class Records>
std::string Joined(const Records& records, std::string text) {
  for (const auto& record : records) {
    if (!text.empty()) text += ' ';
    text += Token(record);
  }
  return text;
}

}  // namespace

UsageDate DateOf(const LocalDateTime& time) {
  return {time.Year, static_cast<std::uint8_t>(std::min<unsigned>(time.Month, 255)),
          static_cast<std::uint8_t>(std::min<unsigned>(time.Day, 255))};
}

std::string IsoDate(UsageDate date) {
  const std::string digits = DateToken(date);
  return digits.substr(0, 4) + '-' + digits.substr(4, 2) + '-' + digits.substr(6);
}

std::uint64_t DayUsage::TotalKB() const {
  const std::uint64_t traffic = downKB + upKB;
  if (correctionKB >= 0) return traffic + static_cast<std::uint64_t>(correctionKB);
  return Less(traffic, static_cast<std::uint64_t>(-correctionKB));
}

void UsageHistory::Load(SettingsStore& store) {
  *this = UsageHistory{};
  LoadClosed(ReadForgiving(store, stored::UsageDays), ReadForgiving(store, stored::UsageHours));
  LoadOpen(ReadForgiving(store, stored::UsageOpen), StoredTotal(store));
  if (!since_ && openDay_) since_ = openDay_->date;
  loaded_ = true;
}

// Records in order, each later than the one before; any other is dropped alone.
void UsageHistory::LoadClosed(std::string_view daysText, std::string_view hoursText) {
  const std::vector<std::string_view> days = Tokens(daysText);
  for (std::size_t i = 0; i < days.size(); ++i) {
    if (i == 0 && days[i].find(',') == std::string_view::npos) {
      since_ = ParseDateToken(days[i]);
      continue;
    }
    const std::optional<DayUsage> day = ParseDayToken(days[i]);
    if (day && (days_.empty() || day->date > days_.back().date)) days_.push_back(*day);
  }
  while (days_.size() > kKeptDays) {
    since_ = NextDay(days_.front().date);
    days_.pop_front();
  }
  if (!days_.empty() && (!since_ || *since_ > days_.back().date)) since_ = days_.front().date;

  for (std::string_view token : Tokens(hoursText)) {
    const std::optional<HourUsage> hour = ParseHourToken(token);
    if (hour && (hours_.empty() || StampOf(*hour) > StampOf(hours_.back()))) {
      hours_.push_back(*hour);
    }
  }
  while (hours_.size() > kKeptHours)
    hours_.pop_front();
}

// The open records and their seal as the store holds them, the closed ones kept.
void UsageHistory::ReloadOpen(SettingsStore& store) {
  openDay_.reset();
  openHour_.reset();
  seal_ = {};
  const std::string open = ReadForgiving(store, stored::UsageOpen);
  LoadOpen(open, StoredTotal(store));
}

// The open hour and day, unless closed already (a kill after a close and before the open
// ones were stored again), and what the last write added to them, taken back when
// "TotalData" does not hold it (a kill between the two).
void UsageHistory::LoadOpen(std::string_view text, std::optional<std::uint32_t> storedTotal) {
  const std::vector<std::string_view> parts = Tokens(text);
  const auto part = [&](std::size_t i) { return i < parts.size() ? parts[i] : std::string_view(); };
  const std::optional<DayUsage> day = ParseDayToken(part(1));
  if (day && (days_.empty() || day->date > days_.back().date)) openDay_ = day;
  const std::optional<HourUsage> hour = ParseHourToken(part(0));
  if (hour && openDay_ && hour->date == openDay_->date &&
      (hours_.empty() || StampOf(*hour) > StampOf(hours_.back()))) {
    openHour_ = hour;
  }
  const std::optional<UsageSeal> seal = ParseSealToken(part(2));
  if (!seal) {
    if (storedTotal) seal_.total = *storedTotal;
    return;
  }
  seal_ = *seal;
  if (!storedTotal || *storedTotal == seal->total) return;
  const bool heldBefore =
      seal->correctionKB == 0
          ? SaturatedAdd(*storedTotal, seal->downKB + seal->upKB) == seal->total
          : std::int64_t{*storedTotal} + seal->correctionKB == std::int64_t{seal->total};
  if (heldBefore) TakeBack(*seal);
  seal_ = {*storedTotal, 0, 0, 0};
}

void UsageHistory::TakeBack(const UsageSeal& last) {
  if (openHour_) {
    openHour_->downKB = Less(openHour_->downKB, last.downKB);
    openHour_->upKB = Less(openHour_->upKB, last.upKB);
  }
  if (openDay_) {
    openDay_->downKB = Less(openDay_->downKB, last.downKB);
    openDay_->upKB = Less(openDay_->upKB, last.upKB);
    openDay_->correctionKB -= last.correctionKB;
  }
}

// Moves the open hour and day on to the present, or to the latest ones recorded when the
// clock stands before them: counting never goes back into a closed record.
void UsageHistory::Advance(SettingsStore& store, const LocalDateTime& now) {
  const UsageDate today = DateOf(now);
  HourStamp at = ValidDate(today) && now.Hour <= 23
                     ? HourStamp{today, static_cast<std::uint8_t>(now.Hour)}
                     : HourStamp{{1601, 1, 1}, 0};
  if (openHour_) {
    at = std::max(at, StampOf(*openHour_));
  } else if (!hours_.empty()) {
    const HourStamp last = StampOf(hours_.back());
    at = std::max(at, last.hour < 23
                          ? HourStamp{last.date, static_cast<std::uint8_t>(last.hour + 1)}
                          : HourStamp{NextDay(last.date), 0});
  }
  if (openDay_) {
    at = std::max(at, HourStamp{openDay_->date, 0});
  } else if (!days_.empty()) {
    at = std::max(at, HourStamp{NextDay(days_.back().date), 0});
  }
  if (openHour_ && at > StampOf(*openHour_)) CloseHour(store);
  if (openDay_ && at.date > openDay_->date) CloseDay(store);
  if (!openDay_) openDay_ = DayUsage{.date = at.date};
  if (!openHour_) openHour_ = HourUsage{.date = at.date, .hour = at.hour};
  if (!since_) since_ = at.date;
}

void UsageHistory::CloseHour(SettingsStore& store) {
  const HourUsage hour = *openHour_;
  openHour_.reset();
  if (!HasTraffic(hour)) return;
  hours_.push_back(hour);
  if (hours_.size() > kKeptHours) hours_.pop_front();
  WriteValueText(store, stored::UsageHours, HoursText());
}

void UsageHistory::CloseDay(SettingsStore& store) {
  const DayUsage day = *openDay_;
  openDay_.reset();
  if (!HasTraffic(day)) return;
  days_.push_back(day);
  if (days_.size() > kKeptDays) {
    since_ = NextDay(days_.front().date);
    days_.pop_front();
  }
  WriteValueText(store, stored::UsageDays, DaysText());
}

void UsageHistory::StoreOpen(SettingsStore& store) {
  WriteValueText(store, stored::UsageOpen, OpenText());
}

void UsageHistory::Record(SettingsStore& store, const LocalDateTime& now, std::uint64_t downKB,
                          std::uint64_t upKB, std::uint32_t totalAfter) {
  // A total that does not follow from the last one stored (a "TotalData" that failed after
  // the open records were stored, read back since) sends the open records back to what the
  // store holds. The closed ones in memory are the stored ones: a close whose write failed
  // has sent the whole history back already.
  const std::uint64_t growth = downKB + upKB;
  const bool unsealed = loaded_ && totalAfter != kLargestTotal &&
                        (growth > totalAfter || totalAfter - growth != seal_.total);
  try {
    if (!loaded_) Load(store);
    if (unsealed) ReloadOpen(store);
    Advance(store, now);
    if (growth != 0) {
      openHour_->downKB = std::min(openHour_->downKB + downKB, kLargestRecordKB);
      openHour_->upKB = std::min(openHour_->upKB + upKB, kLargestRecordKB);
      openDay_->downKB = std::min(openDay_->downKB + downKB, kLargestRecordKB);
      openDay_->upKB = std::min(openDay_->upKB + upKB, kLargestRecordKB);
      seal_ = {totalAfter, downKB, upKB, 0};
      StoreOpen(store);
    }
  } catch (...) {
    loaded_ = false;
    throw;
  }
  seal_.total = totalAfter;
}

void UsageHistory::Correct(SettingsStore& store, const LocalDateTime& now,
                           std::int64_t correctionKB, std::uint32_t totalAfter) {
  try {
    if (!loaded_) Load(store);
    Advance(store, now);
    openDay_->correctionKB += correctionKB;
    seal_ = {totalAfter, 0, 0, correctionKB};
    StoreOpen(store);
  } catch (...) {
    loaded_ = false;
    throw;
  }
}

void UsageHistory::Reseal(SettingsStore& store, std::uint32_t totalAfter) {
  try {
    if (!loaded_) Load(store);
    seal_ = {totalAfter, 0, 0, 0};
    if (openDay_ || openHour_) StoreOpen(store);
  } catch (...) {
    loaded_ = false;
    throw;
  }
}

std::vector<DayUsage> UsageHistory::Days() const {
  std::vector<DayUsage> days(days_.begin(), days_.end());
  if (openDay_ && HasTraffic(*openDay_)) days.push_back(*openDay_);
  return days;
}

std::vector<HourUsage> UsageHistory::Hours() const {
  std::vector<HourUsage> hours(hours_.begin(), hours_.end());
  if (openHour_ && HasTraffic(*openHour_)) hours.push_back(*openHour_);
  return hours;
}

std::vector<HourUsage> UsageHistory::HoursOf(UsageDate date) const {
  std::vector<HourUsage> hours = Hours();
  std::erase_if(hours, [&](const HourUsage& hour) { return hour.date != date; });
  return hours;
}

bool UsageHistory::HoursKept(UsageDate date) const {
  const std::vector<HourUsage> hours = Hours();
  if (hours.empty()) return false;
  const UsageDate oldest = hours.front().date;
  return date > oldest || (date == oldest && hours_.size() < kKeptHours);
}

std::optional<UsageDate> UsageHistory::CompleteSince() const { return since_; }

std::string UsageHistory::DaysText() const {
  return Joined(days_, since_ ? DateToken(*since_) : std::string());
}

std::string UsageHistory::HoursText() const { return Joined(hours_, {}); }

std::string UsageHistory::OpenText() const {
  std::string text = openHour_ ? HourToken(*openHour_) : std::string("-");
  text.append(1, ' ').append(openDay_ ? DayToken(*openDay_) : std::string("-"));
  return text.append(1, ' ').append(SealToken(seal_));
}

void RecordUsage(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB) {
  // The time the tick read, so that its date and hour agree with its rollover; a step
  // outside a tick reads the clock.
  const LocalDateTime now = meter.state.TickTime.Year != 0 ? meter.state.TickTime : meter.clock.Now();
  meter.state.History.Record(meter.store, now, downKB, upKB, meter.state.TotalDataKB);
}

const UsageHistory& ReadUsageHistory(MeterState& state, SettingsStore& store) {
  if (!state.History.Loaded()) state.History.Load(store);
  return state.History;
}

void ResealUsage(UsageHistory& history, SettingsStore& store, std::uint32_t total) noexcept {
  try {
    history.Reseal(store, total);
  } catch (...) {  // the history reloads on its next use; the restart goes on
  }
}

}  // namespace pelliton
