#pragma once

#include <string_view>

#include "ui/dialogs/dialog_ports.h"
#include "ui/dialogs/list_view.h"

namespace pelliton {

inline constexpr std::string_view kCycleDateQuestion =
    "Changing cycle date will clear all the previous data. Do you want to countinue?";
inline constexpr std::string_view kConfirmationCaption = "Conformation";
// The days offered: a cycle can begin on any day that every month has.
inline constexpr int kCycleDays = 28;

// The handlers of the cycle date dialog. A new instance goes with every showing.
class TCycleDateForm {
 public:
  // The layout's initial state in `view`: the lines "1" to "28", OK disabled.
  TCycleDateForm(const DialogPorts& ports, ListDialogView& view);

  // Selects the current day. A day without a line fails with the list's index error and
  // leaves no line selected.
  void FormActivate();
  // A selection made by the user.
  void ListBox1Click();
  // After a Yes, stores the selected day and clears the cycle's figures: OK, and a click
  // on Label1.
  void BitBtn1Click();
  // Raises the meter as Stay On Top says (RaiseMeter) once the dialog is gone.
  void FormDestroy();

 private:
  DialogPorts ports_;
  ListDialogView& view_;
};

}  // namespace pelliton
