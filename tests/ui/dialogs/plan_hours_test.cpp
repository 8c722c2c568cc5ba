#include <gtest/gtest.h>

#include "store/catalogue.h"
#include "ui/dialogs/dialog_fakes.h"
#include "ui/dialogs/plan_hours.h"

namespace pelliton::testing {
namespace {

class FakePlanView : public PlanDialogView {
 public:
  PlanEntries Entries() const override { return entries; }
  void SetEntries(const PlanEntries& shown) override { entries = shown; }
  void SetProblems(const PlanProblems& shown) override { problems = shown; }
  void EnableEntries(bool window, bool offPeak) override { enabled = {window, offPeak}; }
  void SetLines(const std::vector<std::string>& shown) override { lines = shown; }
  void SetOkEnabled(bool on) override { ok = on; }
  PlanEntries entries;
  PlanProblems problems;
  std::pair<bool, bool> enabled;
  std::vector<std::string> lines;
  bool ok = false;
};

std::string Problem(const PlanProblems& problems, PlanProblem which) {
  return problems[static_cast<std::size_t>(which)];
}

// Each row changes the entries as a user would, from the stored plan below; a row that a
// reason refuses keeps OK disabled and stores nothing.
TEST(PlanForm, ReadsCheckedEntriesAndStoresOnOk) {
  using enum PlanProblem;
  const PlanSettings stored{true, 120, 480, OffPeakRule::Own, 1000, 80, 0, 80, 0};
  const struct {
    void (*change)(PlanEntries&);
    PlanProblem where;
    const char* problem;  // empty: good
    PlanSettings after;   // the plan stored by OK
  } rows[] = {
      {[](PlanEntries&) {}, Window, "", stored},  // "0.98" GB shown keeps 1000 MB
      {[](PlanEntries& e) { e.from = "23:00"; e.to = "05:00"; e.rule = OffPeakRule::Free; },
       Window, "", {true, 1380, 300, OffPeakRule::Free, 1000, 80, 0, 80, 0}},
      {[](PlanEntries& e) { e.to = "02:00"; }, Window, "The hours cannot end when they begin.",
       stored},
      {[](PlanEntries& e) { e.offPeak = "0"; }, OffPeak, "More than 0 GB.", stored},
      {[](PlanEntries& e) { e.offPeak = "10"; e.rule = OffPeakRule::OwnThenMain; }, OffPeak, "",
       {true, 120, 480, OffPeakRule::OwnThenMain, 10240, 80, 0, 80, 0}},
      {[](PlanEntries& e) { e.offPeakWarning = "40"; }, OffPeakWarning, "From 50 to 99 %.",
       stored},
      {[](PlanEntries& e) { e.window = false; e.from = "x"; e.offPeak = "y"; }, Window, "",
       {false, 0, 0, OffPeakRule::Own, 1000, 80, 0, 80, 0}},  // the hours go with the window
      {[](PlanEntries& e) { e.daily = "1.5"; e.dailyWarning = "90"; e.resetHour = "7"; }, Daily,
       "", {true, 120, 480, OffPeakRule::Own, 1000, 80, 1536, 90, 7}},
      {[](PlanEntries& e) { e.daily = "1.5x"; }, Daily, "Enter a number of GB, such as 12.5.",
       stored},
      {[](PlanEntries& e) { e.resetHour = "24"; }, ResetHour, "A whole hour from 0 to 23.",
       stored},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    FakeDialogPorts ports;
    StorePlanSettings(ports.store, stored);
    FakePlanView view;
    const FakeLocale locale;
    TPlanForm form(ports.Ports(), locale, view);
    form.FormActivate();
    EXPECT_TRUE(view.ok);
    rows[i].change(view.entries);
    form.EditChange();
    EXPECT_EQ(Problem(view.problems, rows[i].where), rows[i].problem);
    EXPECT_EQ(view.ok, *rows[i].problem == '\0');
    EXPECT_EQ(form.BitBtn1Click(), view.ok);
    EXPECT_EQ(ReadPlanSettings(ports.store), rows[i].after);
  }
}

// The window's entries take input only while it is on, the off-peak allowance's only while
// its traffic has one; a key that cannot be written raises the store's error, and nothing of
// the plan has changed.
TEST(PlanForm, EnablesEntriesAndLeavesTheStoreAloneOnItsError) {
  FakeDialogPorts ports;
  FakePlanView view;
  const FakeLocale locale;
  TPlanForm form(ports.Ports(), locale, view);
  form.FormActivate();
  EXPECT_EQ(view.entries.daily, "");
  EXPECT_EQ(view.enabled, std::pair(false, false));
  view.entries.window = true;
  view.entries.from = "02:00";
  form.EditChange();
  EXPECT_EQ(view.enabled, std::pair(true, false));
  view.entries.rule = OffPeakRule::Own;
  view.entries.offPeak = "5";
  form.EditChange();
  EXPECT_EQ(view.enabled, std::pair(true, true));
  ports.store.lockedKeys.insert(std::string(kSettingsKey));
  EXPECT_THROW(form.BitBtn1Click(), RegistryError);
  ports.store.lockedKeys.clear();
  EXPECT_EQ(ReadPlanSettings(ports.store), PlanSettings{});
}

}  // namespace
}  // namespace pelliton::testing
