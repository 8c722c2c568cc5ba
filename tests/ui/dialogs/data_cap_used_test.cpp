#include <gtest/gtest.h>

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
  } cases[] = {{"", "1000", true}, {" ", "1000", true},     {"1.5", "1572864", true},
               {"0", "0", true},   {"1.5x", "1000", false}, {"5000", "1000", false}};
  for (const auto& c : cases) {
    FakeDialogPorts ports;
    ports.store.Set("TotalData", "1000");
    ports.state.TotalDataKB = 1000;
    UsedEntryView view;
    const FakeLocale locale;
    TDataCapForm form(ports.Ports(), locale, view);
    form.FormActivate();
    view.used = c.used;
    form.EditChange();
    EXPECT_EQ(view.problem.empty(), c.closes) << c.used;
    EXPECT_EQ(form.BitBtn1Click(), c.closes) << c.used;
    EXPECT_EQ(ports.store.Get("TotalData"), c.totalAfter) << c.used;
  }
}

}  // namespace
}  // namespace pelliton::testing
