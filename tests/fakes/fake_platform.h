#pragma once

#include <array>
#include <string>
#include <vector>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_context.h"

namespace pelliton::testing {

class FakeClock : public Clock {
 public:
  LocalDateTime Now() const override { return now; }
  std::uint32_t TickCount() const override { return tick; }
  std::int64_t UtcMilliseconds() const override { return utcMilliseconds; }
  TimeSinceBoot SinceBoot() const override { return sinceBoot; }

  void SetDate(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    now.Year = year;
    now.Month = month;
    now.Day = day;
  }

  LocalDateTime now{2026, 12, 8, 12, 0, 0, 0};
  std::uint32_t tick = 0;
  std::int64_t utcMilliseconds = 13441212000000;  // 8 Dec 2026, 14:00 UTC
  TimeSinceBoot sinceBoot{3600000, false};        // up for an hour
};

// English names, English separators and Latin-1 as the code page unless told otherwise.
class FakeLocale : public Locale {
 public:
  Separators NumberSeparators() const override { return separators; }
  std::u16string ShortMonthName(int month) const override {
    return months.at(static_cast<std::size_t>(month - 1));
  }
  std::u16string Widen(std::string_view text) const override {
    std::u16string wide;
    for (char c : text)
      wide.push_back(static_cast<unsigned char>(c));
    return wide;
  }
  std::string Narrow(std::u16string_view text) const override {
    std::string narrow;
    for (char16_t c : text)
      narrow.push_back(c < 256 ? static_cast<char>(c) : '?');
    return narrow;
  }

  Separators separators{};
  std::array<std::u16string, 12> months{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                        u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
};

class FakeView : public MeterView {
 public:
  void SetLabel1(std::string_view text) override { label1 = text; }
  void SetLabel2(std::string_view text) override { label2 = text; }
  void SetLabel3(std::string_view text) override { label3 = text; }
  void SetTimer1Enabled(bool enabled) override {
    timerEnabled = enabled;
    timerSwitches.push_back(enabled);
  }
  void PostNotice(std::string_view text) override { notices.emplace_back(text); }
  void PostWarning(std::string_view title, std::string_view text) override {
    titles.emplace_back(title);
    notices.emplace_back(text);
  }

  std::string label1, label2, label3;
  bool timerEnabled = false;
  std::vector<bool> timerSwitches;
  std::vector<std::string> notices;
  std::vector<std::string> titles;  // of the warnings among them
};

}  // namespace pelliton::testing
