#include "metering/history/usage_history.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <type_traits>
#include <utility>

#include "metering/base/checked.h"
#include "metering/meter_state.h"
#include "metering/history/usage_text.h"
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

// A day's corrections added up, kept within what a day record reads back.
std::int64_t DayCorrection(std::int64_t sum, std::int64_t correctionKB) {
  return std::clamp(sum + correctionKB, -kLargestDayCorrectionKB, kLargestDayCorrectionKB);
}

bool HasTraffic(const DayUsage& day) {
  return day.downKB != 0 || day.upKB != 0 || day.correctionKB != 0;
}

bool HasTraffic(const HourUsage& hour) {
  return hour.downKB != 0 || hour.upKB != 0;
}

// A clock reading more than a day before a record: the record was counted while the clock ran
// ahead (a mistyped year, a hardware clock kept in UTC).
constexpr std::int64_t kHoursAhead = 24;

std::int64_t HourNumber(UsageDate date, std::uint8_t hour) {
  const std::chrono::sys_days day =
      std::chrono::year{date.year} / std::chrono::month{date.month} / std::chrono::day{date.day};
  return std::int64_t{day.time_since_epoch().count()} * 24 + hour;
}

std::string Token(const DayUsage& day) { return DayToken(day); }
std::string Token(const HourUsage& hour) { return HourToken(hour); }

std::pair<UsageDate, int> Stamp(const DayUsage& day) {
  return {day.date, -1};
}
std::pair<UsageDate, int> Stamp(const HourUsage& hour) {
  return {hour.date, hour.hour};
}

// Kept in order, one record a day or hour: one that is there already takes the figures.
template <class Record>
void InsertInOrder(std::deque<Record>& records, const Record& record) {
  const auto place =
      std::lower_bound(records.begin(), records.end(), record,
                       [](const Record& a, const Record& b) { return Stamp(a) < Stamp(b); });
  if (place == records.end() || Stamp(*place) != Stamp(record)) {
    records.insert(place, record);
    return;
  }
  place->downKB = std::min(place->downKB + record.downKB, kLargestRecordKB);
  place->upKB = std::min(place->upKB + record.upKB, kLargestRecordKB);
  if constexpr (std::is_same_v<Record, DayUsage>) {
    place->correctionKB = DayCorrection(place->correctionKB, record.correctionKB);
    place->offPeakKB = std::min(place->offPeakKB + record.offPeakKB, kLargestRecordKB);
  }
}

// The closed record of `open`'s day or hour, taken out to count on in, else `open`.
template <class Record>
Record Reopened(std::deque<Record>& records, const Record& open) {
  const auto found = std::find_if(records.begin(), records.end(),
                                  [&](const Record& r) { return Stamp(r) == Stamp(open); });
  if (found == records.end()) return open;
  const Record record = *found;
  records.erase(found);
  return record;
}

// Whether an open record read back may count on: not one closed already (a kill after its
// close), unless it is a reopened one holding all that the closed one holds.
template <class Record>
bool StillOpen(std::deque<Record>& records, const Record& open) {
  const auto found = std::find_if(records.begin(), records.end(),
                                  [&](const Record& r) { return Stamp(r) == Stamp(open); });
  if (found == records.end()) return true;
  bool holds = open.downKB >= found->downKB && open.upKB >= found->upKB;
  if constexpr (std::is_same_v<Record, DayUsage>)
    holds = holds && open.correctionKB == found->correctionKB;
  if (holds) records.erase(found);
  return holds;
}

// The latest closed record that is not far ahead of the clock.
template <class Record, class Near>
const Record* LatestNear(const std::deque<Record>& records, Near near) {
  for (auto record = records.rbegin(); record != records.rend(); ++record) {
    if (near({record->date, static_cast<std::uint8_t>(std::max(Stamp(*record).second, 0))}))
      return &*record;
  }
  return nullptr;
}

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
  if (day && StillOpen(days_, *day)) openDay_ = day;
  const std::optional<HourUsage> hour = ParseHourToken(part(0));
  if (hour && openDay_ && hour->date == openDay_->date && StillOpen(hours_, *hour))
    openHour_ = hour;
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
    openDay_->correctionKB = DayCorrection(openDay_->correctionKB, -last.correctionKB);
    openDay_->offPeakKB = Less(openDay_->offPeakKB, last.offPeakKB);
  }
}

// Moves the open hour and day on to the present, or to the latest ones recorded when the
// clock stands a little before them: counting never goes back into a closed record. Records
// more than a day ahead of the clock are left as they stand; the present reopens one it
// reaches.
void UsageHistory::Advance(SettingsStore& store, const LocalDateTime& now) {
  const UsageDate today = DateOf(now);
  const bool known = ValidDate(today) && now.Hour <= 23;
  HourStamp at =
      known ? HourStamp{today, static_cast<std::uint8_t>(now.Hour)} : HourStamp{{1601, 1, 1}, 0};
  const auto near = [&](HourStamp stamp) {
    return !known ||
           HourNumber(stamp.date, stamp.hour) - HourNumber(at.date, at.hour) <= kHoursAhead;
  };
  const bool ranAhead =
      (openHour_ && !near(StampOf(*openHour_))) || (openDay_ && !near({openDay_->date, 0}));
  if (ranAhead) {
    // Records that began while the clock ran ahead are complete from the present on.
    if (known && (!since_ || at.date < *since_)) since_ = at.date;
    if (openHour_) CloseHour(store);
    if (openDay_) CloseDay(store);
  }
  if (openHour_) {
    at = std::max(at, StampOf(*openHour_));
  } else if (const HourUsage* last = LatestNear(hours_, near); last && !ranAhead) {
    at = std::max(at, last->hour < 23
                          ? HourStamp{last->date, static_cast<std::uint8_t>(last->hour + 1)}
                          : HourStamp{NextDay(last->date), 0});
  }
  if (openDay_) {
    at = std::max(at, HourStamp{openDay_->date, 0});
  } else if (const DayUsage* last = LatestNear(days_, near); last && !ranAhead) {
    at = std::max(at, HourStamp{NextDay(last->date), 0});
  }
  if (openHour_ && at > StampOf(*openHour_)) CloseHour(store);
  if (openDay_ && at.date > openDay_->date) CloseDay(store);
  if (!openDay_) openDay_ = Reopened(days_, DayUsage{.date = at.date});
  if (!openHour_) openHour_ = Reopened(hours_, HourUsage{.date = at.date, .hour = at.hour});
  if (!since_) since_ = at.date;
}

void UsageHistory::CloseHour(SettingsStore& store) {
  const HourUsage hour = *openHour_;
  openHour_.reset();
  if (!HasTraffic(hour)) return;
  InsertInOrder(hours_, hour);
  if (hours_.size() > kKeptHours) hours_.pop_front();
  WriteValueText(store, stored::UsageHours, HoursText());
}

void UsageHistory::CloseDay(SettingsStore& store) {
  const DayUsage day = *openDay_;
  openDay_.reset();
  if (!HasTraffic(day)) return;
  InsertInOrder(days_, day);
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
                          std::uint64_t upKB, std::uint32_t totalAfter, std::uint64_t offPeakKB) {
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
      offPeakKB = std::min(offPeakKB, growth);
      openDay_->offPeakKB = std::min(openDay_->offPeakKB + offPeakKB, kLargestRecordKB);
      seal_ = {totalAfter, downKB, upKB, 0, offPeakKB};
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
    openDay_->correctionKB = DayCorrection(openDay_->correctionKB, correctionKB);
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
  std::deque<DayUsage> days = days_;
  if (openDay_ && HasTraffic(*openDay_)) InsertInOrder(days, *openDay_);
  return {days.begin(), days.end()};
}

std::vector<HourUsage> UsageHistory::Hours() const {
  std::deque<HourUsage> hours = hours_;
  if (openHour_ && HasTraffic(*openHour_)) InsertInOrder(hours, *openHour_);
  return {hours.begin(), hours.end()};
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

void RecordUsage(MeterState& state, SettingsStore& store, const Clock& clock,
                 std::uint64_t downKB, std::uint64_t upKB, std::uint64_t offPeakKB) {
  // The time the tick read, so that its date and hour agree with its rollover; a step
  // outside a tick reads the clock.
  const LocalDateTime now = state.TickTime.Year != 0 ? state.TickTime : clock.Now();
  state.History.Record(store, now, downKB, upKB, state.TotalDataKB, offPeakKB);
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
