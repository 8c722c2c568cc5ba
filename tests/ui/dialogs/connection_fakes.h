#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/dialogs/all_conections.h"

namespace pelliton::testing {

// The dialog's list and OK button as plain data. A fresh view is empty with OK enabled, so
// that the form's construction shows in what it sets.
class FakeConnectionView : public ConnectionDialogView {
 public:
  void ClearList() override {
    lines.clear();
    selected = -1;
  }
  void AddLine(std::string_view text) override { lines.emplace_back(text); }
  int LineCount() const override { return static_cast<int>(lines.size()); }
  std::string Line(int index) const override { return lines.at(static_cast<std::size_t>(index)); }
  int SelectedIndex() const override { return selected; }
  void SelectLine(int index) override { selected = index; }
  void SetOkEnabled(bool enabled) override { okEnabled = enabled; }
  void EndModalCancel() override { ++modalCancels; }

  std::vector<std::string> lines;
  int selected = -1;
  bool okEnabled = true;
  int modalCancels = 0;
};

}  // namespace pelliton::testing
