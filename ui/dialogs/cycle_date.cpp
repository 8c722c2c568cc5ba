#include "ui/dialogs/cycle_date.h"

#include <cstdint>
#include <string>

#include "metering/sources/readings.h"
#include "metering/tick.h"
#include "store/catalogue.h"
#include "store/errors.h"
#include "store/int_parse.h"

namespace pelliton {

TCycleDateForm::TCycleDateForm(const DialogPorts& ports, ListDialogView& view)
    : ports_(ports), view_(view) {
  for (int day = 1; day <= kCycleDays; ++day)
    view_.AddLine(std::to_string(day));
  view_.SetOkEnabled(false);
}

void TCycleDateForm::FormActivate() {
  const int index = int{ports_.state.CycleDay} - 1;
  if (index < 0 || index >= view_.LineCount()) throw ListIndexError(index);
  view_.SelectLine(index);
}

void TCycleDateForm::ListBox1Click() {
  view_.SetOkEnabled(true);
}

void TCycleDateForm::BitBtn1Click() {
  if (!ports_.app.AskYesNo(kCycleDateQuestion, kConfirmationCaption)) return;
  const std::string day = SelectedLine(view_);
  MeterState& state = ports_.state;
  state.CycleDay = CheckedNarrow<std::uint16_t>(StrToInt(day));
  WriteValueNumber(ports_.store, stored::BillCycleDate, state.CycleDay);
  ForgetReadings(state, ports_.store);
  RestartCycle(state, ports_.store, ports_.clock.Now());
}

void TCycleDateForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
