#include "ui/dialogs/monthly_stat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/fake_ui.h"
#include "metering/history/all_data.h"

namespace pelliton::testing {
namespace {

const std::u16string kHead = u"15 Dec, 2026";
const std::u16string kRecord = u"15 Nov, 202615 Dec, 2026    1.50 MB01234";
const std::u16string kLine = u"15 Nov, 2026 - 15 Dec, 2026 :     1.50 MB in 012 Hrs and 34 Mins\r";

std::size_t Lines(const std::u16string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\r'));
}

TEST(BuildStatisticsText, GivesNothingForTheHeadAlone) {
  for (const std::u16string allData : {u"", u"?? ???, ????", u"15 Dec", u"15 Dec, 2026"})
    EXPECT_EQ(BuildStatisticsText(allData), u"");
}

TEST(BuildStatisticsText, LaysOutOneRecordAsTheWorkedExample) {
  EXPECT_EQ(kLine.size(), 65u);
  EXPECT_EQ(BuildStatisticsText(kHead + kRecord), kLine);
  EXPECT_EQ(BuildStatisticsText(u"15 Nov, 2026?? ???, ????15 Nov, 2026       0 KB00000"),
            u"?? ???, ???? - 15 Nov, 2026 :        0 KB in 000 Hrs and 00 Mins\r");
}

TEST(BuildStatisticsText, CutsPiecesAtTheEndOfTheText) {
  EXPECT_EQ(BuildStatisticsText(kHead + kRecord + u"0123456789"),
            kLine + u"0123456789 -  :  in  Hrs and  Mins\r");
  // Each piece cut where the text ends: inside it, or before it begins.
  struct Case {
    std::size_t recordChars;
    std::u16string line;
  };
  for (const Case& c :
       {Case{1, u"1 -  :  in  Hrs and  Mins\r"},
        Case{13, u"15 Nov, 2026 - 1 :  in  Hrs and  Mins\r"},
        Case{30, u"15 Nov, 2026 - 15 Dec, 2026 :     1. in  Hrs and  Mins\r"},
        Case{37, u"15 Nov, 2026 - 15 Dec, 2026 :     1.50 MB in 01 Hrs and  Mins\r"},
        Case{39, u"15 Nov, 2026 - 15 Dec, 2026 :     1.50 MB in 012 Hrs and 3 Mins\r"}})
    EXPECT_EQ(BuildStatisticsText(kHead + kRecord.substr(0, c.recordChars)), c.line)
        << c.recordChars;
}

TEST(BuildStatisticsText, ListsTwelveRecordsNewestFirst) {
  std::u16string allData = u"?? ???, ????";
  for (int day = 1; day <= 13; ++day) {
    std::u16string date = u"0x Jan, 2027";
    date[1] = char16_t(u'0' + day % 10);
    allData = InsertFinishedCycle(allData, date, u"0 KB", std::uint16_t(day), 0);
  }
  ASSERT_EQ(allData.size(), kAllDataMaxLength);
  const std::u16string text = BuildStatisticsText(allData);
  EXPECT_EQ(text.size(), 12 * kLine.size());
  EXPECT_EQ(text.substr(0, 65),
            u"02 Jan, 2027 - 03 Jan, 2027 :        0 KB in 013 Hrs and 00 Mins\r");
  EXPECT_EQ(text.substr(11 * 65),
            u"01 Jan, 2027 - 02 Jan, 2027 :        0 KB in 002 Hrs and 00 Mins\r");
}

TEST(BuildStatisticsText, GivesOneLinePerStartedRecordOfAnyLength) {
  for (std::size_t length : {13u, 51u, 52u, 53u, 491u, 492u, 493u, 532u, 533u, 100000u}) {
    const std::u16string text = BuildStatisticsText(std::u16string(length, u'x'));
    EXPECT_EQ(Lines(text), (length - 12 + 39) / 40) << length;
  }
}

TEST(BuildStatisticsText, PassesAnyCharacterThrough) {
  std::u16string record(40, u'\0');
  for (std::size_t i = 0; i < record.size(); ++i)
    record[i] = char16_t(u"\r\n\t&\xD800\xDFFF\xFFFF\x00E9"[i % 8]);
  const std::u16string text = BuildStatisticsText(std::u16string(12, u'\0') + record);
  EXPECT_EQ(text.size(), 65u);
  EXPECT_EQ(text.substr(0, 12), record.substr(0, 12));
  EXPECT_EQ(text.substr(45, 3), record.substr(35, 3));  // the hours
}

TEST(TAllStatForm, ShowsAllDataAtOpeningAndRaisesTheMeterAtTheEnd) {
  struct View : StatisticsView {
    void SetLabel1Text(std::u16string_view text) override { label1 = text; }
    std::u16string label1 = u"unset";
  } view;
  MeterState state;
  state.AllData = kHead + kRecord;
  FakeMeterWindow meter;
  meter.checks[MenuItem::StayOnTop1] = false;
  TAllStatForm form(state, meter, view);
  form.FormActivate();
  state.AllData = kHead;  // a rollover while the window is open
  EXPECT_EQ(view.label1, kLine);
  EXPECT_TRUE(meter.topmostCalls.empty());
  form.FormDestroy();
  EXPECT_EQ(meter.topmostCalls, std::vector<bool>{false});  // Stay On Top is off
  EXPECT_FALSE(meter.MenuChecked(MenuItem::StayOnTop1));
}

}  // namespace
}  // namespace pelliton::testing
