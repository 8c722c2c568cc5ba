#include "ui/dialogs/cycle_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection_fakes.h"
#include "dialog_fakes.h"
#include "metering/tick.h"
#include "store/errors.h"

namespace pelliton::testing {
namespace {

const std::vector<std::string> kApplyWrites{"BillCycleDate", "PlanData", "TotalData",  "Seconds",
                                            "Minutes",       "Hours",    "CycleStart", "LastMonth"};

// A cycle under way on 7 December, last rolled over in November, billed on the 15th.
class CycleDateFormTest : public ::testing::Test, protected FakeDialogPorts {
 protected:
  CycleDateFormTest() {
    state.CycleDay = 15;
    state.LastMonth = 11;
    state.TodayMonth = 12;
    state.TotalDataKB = 5000;
    state.Hours = 1;
    state.AllData = u"01 Nov, 2026";
  }
  // Opens the dialog; the user picks a day (0: keeps the preselected one) and confirms it.
  void Confirm(int day = 0) {
    form.FormActivate();
    if (day != 0) view.selected = day - 1;
    form.BitBtn1Click();
  }

  FakeConnectionView view;  // the list of days and OK
  TCycleDateForm form{Ports(), view};
};

TEST_F(CycleDateFormTest, OffersTwentyEightDaysPreselectsTheCurrentOneAndWaitsForTheUser) {
  ASSERT_EQ(view.lines.size(), 28u);
  EXPECT_EQ(view.lines.back(), "28");
  form.FormActivate();
  EXPECT_EQ(view.selected, 14);
  EXPECT_FALSE(view.okEnabled);
  form.ListBox1Click();
  EXPECT_TRUE(view.okEnabled);
}

TEST_F(CycleDateFormTest, YesStoresTheDayAndClearsTheCycleInOrder) {
  store.Set("LastDown", "1000");
  Confirm(28);
  EXPECT_FALSE(store.Has("LastDown"));  // the readings are forgotten
  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].text, std::string(kCycleDateQuestion));
  EXPECT_EQ(app.boxes[0].caption, "Conformation");
  EXPECT_EQ(store.WrittenNames(), kApplyWrites);
  EXPECT_EQ(store.Get("BillCycleDate"), "28");
  EXPECT_EQ(store.Get("LastMonth"), "11");  // 8 December: the 28th has not come yet
  EXPECT_EQ(store.Get("Hours"), "0");
  EXPECT_EQ(store.Get("CycleStart"), "20261208");  // the cycle begins again today
  EXPECT_EQ(state.CycleDay, 28);
  EXPECT_EQ(state.LastMonth, 11);
  EXPECT_EQ(state.TotalDataKB + state.Hours, 0u);
  EXPECT_EQ(state.AllData, u"01 Nov, 2026");  // no history record
}

// LastMonth becomes the month whose new billing day has last passed, in memory and stored:
// the change writes no history record, and the next billing day rolls over.
TEST_F(CycleDateFormTest, LastMonthIsTheMonthWhoseNewBillingDayLastPassed) {
  const struct {
    std::uint16_t month, day, picked, lastMonth;
  } cases[] = {{11, 10, 20, 10}, {11, 20, 20, 11}, {1, 3, 15, 12}, {3, 31, 28, 3}};
  for (const auto& c : cases) {
    clock.SetDate(2027, c.month, c.day);
    state.TodayMonth = c.month;
    Confirm(c.picked);
    EXPECT_EQ(state.LastMonth, c.lastMonth) << c.month << "/" << c.day;
    EXPECT_EQ(store.Get("LastMonth"), std::to_string(c.lastMonth));
    state.TodayDay = c.picked;
    const bool due =
        RolloverDue(state, c.month - c.lastMonth, {2027, c.month, c.picked}, FakeLocale{});
    EXPECT_EQ(due, c.picked > c.day) << c.month << "/" << c.day;
  }
}

TEST_F(CycleDateFormTest, NoChangesNothingAndLabel1AppliesThePreselectedDay) {
  app.answerYes = false;
  Confirm(3);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(state.CycleDay + state.Hours, 16);
  app.answerYes = true;
  Confirm();  // a click on Label1 while OK is still disabled
  EXPECT_EQ(store.Get("BillCycleDate"), "15");
  EXPECT_EQ(state.Hours, 0);
}

TEST_F(CycleDateFormTest, FailingWriteEndsTheApplyingAtItsStep) {
  const MeterState before = state;
  for (std::size_t step = 0; step < kApplyWrites.size(); ++step) {
    SCOPED_TRACE(kApplyWrites[step]);
    state = before;
    store = FakeStore{};
    store.failingWrites.insert(kApplyWrites[step]);
    EXPECT_THROW(Confirm(8), RegistryError);
    EXPECT_EQ(store.WrittenNames(),
              std::vector<std::string>(kApplyWrites.begin(),
                                       kApplyWrites.begin() + static_cast<std::ptrdiff_t>(step)));
    EXPECT_EQ(state.CycleDay, 8);               // set before the first write
    EXPECT_EQ(state.Hours, 1);  // cleared in memory once all is stored
  }
}

TEST_F(CycleDateFormTest, DayWithoutALineFailsAtOpeningThenAUserChoiceWorks) {
  for (const auto& [day, message] :
       {std::pair<std::uint16_t, const char*>{0, "(-1)"}, {31, "(30)"}}) {
    state.CycleDay = day;
    try {
      form.FormActivate();
      FAIL() << "no error";
    } catch (const ListIndexError& error) {
      EXPECT_EQ(error.what(), std::string("List index out of bounds ") + message);
    }
  }
  EXPECT_EQ(view.selected, -1);
  EXPECT_THROW(form.BitBtn1Click(), ListIndexError);  // Label1 with no line selected
  EXPECT_TRUE(store.writes.empty());
  view.selected = 4;
  form.BitBtn1Click();
  EXPECT_EQ(store.Get("BillCycleDate"), "5");
}

}  // namespace
}  // namespace pelliton::testing
