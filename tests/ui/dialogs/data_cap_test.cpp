#include "ui/dialogs/data_cap.h"

#include <gtest/gtest.h>

#include "ui/dialogs/dialog_fakes.h"

namespace pelliton::testing {
namespace {

class FakeDataCapView : public DataCapDialogView {
 public:
  std::string AllowanceText() const override { return allowance; }
  std::string WarningText() const override { return warning; }
  void SetEntries(std::string_view a, std::string_view w) override {
    allowance = a;
    warning = w;
  }
  void SetProblems(std::string_view, std::string_view) override {}
  void SetCycleLines(const std::vector<std::string>&) override {}
  void SetOkEnabled(bool) override {}
  std::string allowance, warning;
};

// OK keeps what the user left as it was shown: 1000 MB shows as "0.98", 3 MB as "0".
TEST(DataCapForm, AnEntryLeftAsShownKeepsTheStoredValue) {
  const struct {
    const char* stored;
    const char* allowance;  // nullptr: left as shown
    const char* warning;
    const char* capAfter;
    const char* warningAfter;
    const char* warnedAfter;  // "1" before
  } cases[] = {{"1000", nullptr, nullptr, "1000", "", "1"},
               {"3", nullptr, nullptr, "3", "", "1"},
               {"1000", nullptr, "90", "1000", "90", "0"},  // above the share used: armed
               {"1000", "2", nullptr, "2048", "80", "0"}};
  for (const auto& c : cases) {
    FakeDialogPorts ports;
    ports.store.Set("DataCap", c.stored);
    ports.store.Set("CapWarned", "1");
    FakeDataCapView view;
    const FakeLocale locale;
    TDataCapForm form(ports.Ports(), locale, view);
    form.FormActivate();
    if (c.allowance) view.allowance = c.allowance;
    if (c.warning) view.warning = c.warning;
    EXPECT_TRUE(form.BitBtn1Click());
    EXPECT_EQ(ports.store.Get("DataCap"), c.capAfter) << view.allowance;
    EXPECT_EQ(ports.store.Get("CapWarning"), c.warningAfter) << view.warning;
    EXPECT_EQ(ports.store.Get("CapWarned"), c.warnedAfter);
  }
}

}  // namespace
}  // namespace pelliton::testing
