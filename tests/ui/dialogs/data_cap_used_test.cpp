#include <gtest/gtest.h>

#include "store/catalogue.h"
#include "ui/dialogs/data_cap.h"
#include "ui/dialogs/dialog_fakes.h"

namespace pelliton::testing {
namespace {

class UsedEntryView : public DataCapDialogView {
 public:
  std::string AllowanceText() const override { return "0"; }
  std::string WarningText() const override { return "80"; }
  void SetEntries(std::string_view, std::string_view) override {}
  void SetProblems(std::string_view, std::string_view) override {}
  void SetCycleLines(const std::vector<std::string>&) override {}
  void SetOkEnabled(bool) override {}
  std::string UsedText() const override { return used; }
  void SetUsedProblem(std::string_view text) override { problem = text; }
  std::string used, problem;
};

// "Used so far this cycle": empty leaves the total alone, a good entry sets it, a bad one
// keeps the dialog open and says why.
TEST(DataCapForm, UsedSoFarSetsTheCycleTotal) {
  const struct {
    const char* used;
    const char* totalAfter;
    bool closes;
    bool locked = false;  // a settings key that cannot be written: the store's error, kept open
  } cases[] = {{"", "1000", true},          {" ", "1000", true},
               {"1.5", "1572864", true},    {"0", "0", true},
               {"1.5x", "1000", false},     {"5000", "1000", false},
               {"1.5", "1000", false, true}};
  for (const auto& c : cases) {
    FakeDialogPorts ports;
    ports.store.Set("TotalData", "1000");
    if (c.locked) ports.store.lockedKeys.insert(std::string(kSettingsKey));
    ports.state.TotalDataKB = 1000;
    UsedEntryView view;
    const FakeLocale locale;
    TDataCapForm form(ports.Ports(), locale, view);
    form.FormActivate();
    view.used = c.used;
    form.EditChange();
    EXPECT_EQ(view.problem.empty(), c.closes || c.locked) << c.used;
    if (c.locked) {
      EXPECT_THROW(form.BitBtn1Click(), RegistryError) << c.used;
      EXPECT_EQ(ports.state.TotalDataKB, 1000u) << c.used;
    } else {
      EXPECT_EQ(form.BitBtn1Click(), c.closes) << c.used;
    }
    EXPECT_EQ(ports.store.Get("TotalData"), c.totalAfter) << c.used;
  }
}

}  // namespace
}  // namespace pelliton::testing
