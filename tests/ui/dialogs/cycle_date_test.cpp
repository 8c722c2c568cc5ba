#include "ui/dialogs/cycle_date.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection_fakes.h"
#include "dialog_fakes.h"
#include "store/errors.h"

namespace pelliton::testing {
namespace {

const std::vector<std::string> kApplyWrites{"BillCycleDate", "TotalData", "LastMonth",
                                            "Seconds",       "Minutes",   "Hours"};

class CycleDateFormTest : public ::testing::Test, protected FakeDialogPorts {
 protected:
  CycleDateFormTest() {
    state.CycleDay = 15;
    state.LastMonth = 11;
    state.TodayMonth = 12;
    state.TotalDataKB = 5000;
    state.DownDeltaKB = 7;
    state.UpDeltaKB = 3;
    state.Seconds = 20;
    state.Minutes = 3;
    state.Hours = 1;
    state.AllData = u"01 Nov, 2026";
  }
  // The user picks a day and confirms with OK.
  void Choose(int day) {
    form.FormActivate();
    view.selected = day - 1;
    form.ListBox1Click();
    form.BitBtn1Click();
  }
  void ExpectFiguresUntouched() {
    EXPECT_EQ(state.TotalDataKB, 5000u);
    EXPECT_EQ(state.Seconds, 20);
    EXPECT_EQ(state.Minutes, 3);
    EXPECT_EQ(state.Hours, 1);
  }

  FakeConnectionView view;  // the list of days and OK
  TCycleDateForm form{Ports(), view};
};

TEST_F(CycleDateFormTest, OffersTheDaysOneToTwentyEightWithOkDisabled) {
  ASSERT_EQ(view.lines.size(), 28u);
  for (int day = 1; day <= 28; ++day)
    EXPECT_EQ(view.lines[static_cast<std::size_t>(day - 1)], std::to_string(day));
  EXPECT_FALSE(view.okEnabled);
  EXPECT_EQ(view.selected, -1);
}

TEST_F(CycleDateFormTest, ActivationSelectsTheCurrentDayAndOnlyAUserSelectionEnablesOk) {
  form.FormActivate();
  EXPECT_EQ(view.selected, 14);
  EXPECT_FALSE(view.okEnabled);
  form.ListBox1Click();
  EXPECT_TRUE(view.okEnabled);
  EXPECT_TRUE(app.boxes.empty());
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(CycleDateFormTest, DayWithoutALineFailsWithTheListIndexErrorAndSelectsNothing) {
  const struct {
    std::uint16_t day;
    const char* message;
  } cases[] = {{0, "List index out of bounds (-1)"},
               {29, "List index out of bounds (28)"},
               {31, "List index out of bounds (30)"},
               {65535, "List index out of bounds (65534)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.day);
    state.CycleDay = c.day;
    try {
      form.FormActivate();
      FAIL() << "no error";
    } catch (const ListIndexError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(view.selected, -1);
    EXPECT_FALSE(view.okEnabled);
  }
  // The dialog then works once the user picks a day.
  view.selected = 4;
  form.ListBox1Click();
  EXPECT_TRUE(view.okEnabled);
  form.BitBtn1Click();
  EXPECT_EQ(state.CycleDay, 5);
  EXPECT_EQ(store.Get("BillCycleDate"), "5");
}

TEST_F(CycleDateFormTest, YesStoresTheDayAndClearsTheCycleInOrder) {
  Choose(28);
  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].text,
            "Changing cycle date will clear all the previous data. Do you want to countinue?");
  EXPECT_EQ(app.boxes[0].caption, "Conformation");
  EXPECT_EQ(app.boxes[0].kind, "yesno");
  EXPECT_EQ(store.WrittenNames(), kApplyWrites);
  for (const char* name : {"TotalData", "Seconds", "Minutes", "Hours"})
    EXPECT_EQ(store.Get(name), "0") << name;
  EXPECT_EQ(store.Get("BillCycleDate"), "28");
  EXPECT_EQ(store.Get("LastMonth"), "12");  // today's month
  EXPECT_EQ(state.CycleDay, 28);
  EXPECT_EQ(state.LastMonth, 11);  // in memory until the next load or rollover
  EXPECT_EQ(state.TotalDataKB, 0u);
  EXPECT_EQ(state.DownDeltaKB, 0u);
  EXPECT_EQ(state.UpDeltaKB, 0u);
  EXPECT_EQ(state.Seconds + state.Minutes + state.Hours, 0);
  EXPECT_EQ(state.AllData, u"01 Nov, 2026");  // no history record, same head date
  EXPECT_TRUE(window.label1 == "0 KB" && window.topmostCalls.empty());  // no meter change
}

TEST_F(CycleDateFormTest, NoChangesNothing) {
  app.answerYes = false;
  Choose(3);
  EXPECT_EQ(app.boxes.size(), 1u);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(state.CycleDay, 15);
  ExpectFiguresUntouched();
}

TEST_F(CycleDateFormTest, FailingWriteEndsTheApplyingAtItsStep) {
  for (std::size_t step = 0; step < kApplyWrites.size(); ++step) {
    const std::string& failing = kApplyWrites[step];
    SCOPED_TRACE(failing);
    MeterState before = state;
    FakeStore failingStore;
    failingStore.failingWrites.insert(failing);
    FakeConnectionView list;
    TCycleDateForm dialog{DialogPorts{state, failingStore, table, clock, app, window}, list};
    dialog.FormActivate();
    list.selected = 7;
    EXPECT_THROW(dialog.BitBtn1Click(), RegistryError);
    EXPECT_EQ(failingStore.WrittenNames(),
              std::vector<std::string>(kApplyWrites.begin(), kApplyWrites.begin() + step));
    EXPECT_EQ(state.CycleDay, 8);  // set before the first write
    // The figures are cleared together before they are written.
    EXPECT_EQ(state.TotalDataKB, step == 0 ? before.TotalDataKB : 0u);
    EXPECT_EQ(state.Hours, step == 0 ? before.Hours : 0);
    state = before;
  }
}

TEST_F(CycleDateFormTest, Label1ClickAppliesThePreselectedDayWhileOkIsDisabled) {
  form.FormActivate();
  form.BitBtn1Click();
  EXPECT_FALSE(view.okEnabled);
  EXPECT_EQ(store.Get("BillCycleDate"), "15");
  EXPECT_EQ(store.Get("TotalData"), "0");
}

TEST_F(CycleDateFormTest, Label1ClickWithoutSelectionFailsAfterTheQuestion) {
  state.CycleDay = 0;
  EXPECT_THROW(form.FormActivate(), ListIndexError);
  EXPECT_THROW(form.BitBtn1Click(), ListIndexError);
  EXPECT_EQ(app.boxes.size(), 1u);
  EXPECT_TRUE(store.writes.empty());
  ExpectFiguresUntouched();
}

TEST_F(CycleDateFormTest, FormDestroyRaisesTheMeterWhateverStayOnTopHolds) {
  window.checks[MenuItem::StayOnTop1] = false;
  form.FormDestroy();
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_FALSE(window.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_TRUE(store.writes.empty());
}

}  // namespace
}  // namespace pelliton::testing
