#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metering/base/locale.h"
#include "metering/meter_state.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Monthly Data Cap" as its handlers see it: the two entries, why each is refused, the lines
// about the cycle in progress and OK. Texts are in the system code page.
class DataCapDialogView {
 public:
  virtual ~DataCapDialogView() = default;
  virtual std::string AllowanceText() const = 0;  // GB
  virtual std::string WarningText() const = 0;    // percent
  virtual void SetEntries(std::string_view allowance, std::string_view warning) = 0;
  // What is wrong with each entry, shown under it; empty text for a good one.
  virtual void SetProblems(std::string_view allowance, std::string_view warning) = 0;
  virtual void SetCycleLines(const std::vector<std::string>& lines) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
  // "Used so far this cycle" in GB; empty leaves the cycle's total as it is.
  virtual std::string UsedText() const = 0;
  virtual void SetUsedProblem(std::string_view problem) = 0;
};

// The handlers of the data cap dialog. A new instance goes with every showing; nothing is
// stored before OK.
class TDataCapForm {
 public:
  TDataCapForm(const DialogPorts& ports, const Locale& locale, DataCapDialogView& view);

  // The stored allowance and warning level in the entries, and where the cycle stands now.
  void FormActivate();
  // An entry changed: OK only while both are good.
  void EditChange();
  // Stores both entries when they are good (an entry left as it was shown keeps the stored
  // value; with both left so, nothing is stored), then sets the cycle's total to a used amount
  // given (CorrectCycleTotal); false leaves the dialog open.
  bool BitBtn1Click();
  // Raises the meter as Stay On Top says (RaiseMeter) once the dialog is gone.
  void FormDestroy();

 private:
  DialogPorts ports_;
  const Locale& locale_;
  DataCapDialogView& view_;
  Allowance shown_;  // the stored allowance, as the entries showed it
};

}  // namespace pelliton
