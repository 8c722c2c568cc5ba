#include "ui/dialogs/all_conections.h"

#include <cstdint>

#include "store/catalogue.h"

namespace pelliton {

TAllConectionsForm::TAllConectionsForm(const ConnectionDialogPorts& ports,
                                       ConnectionDialogView& view)
    : ports_(ports), view_(view) {
  view_.AddLine(kNoConnectionsLine);
  view_.SetOkEnabled(false);
}

void TAllConectionsForm::FormActivate() {
  const std::uint32_t started = ports_.clock.TickCount();
  view_.AddLine(kRedetectingLine);
  view_.AddLine(kPleaseWaitLine);
  ports_.app.ProcessMessages();  // the placeholders get painted before the table is read

  Snapshot snapshot;
  Get_IfTableMIB(ports_.table, snapshot);
  if (!snapshot.empty()) {
    view_.ClearList();
    for (const IfRow& row : snapshot)
      view_.AddLine(DescriptionText(row));
    view_.SelectLine(0);
  }

  const std::uint32_t elapsed = ports_.clock.TickCount() - started;  // wraps with the count
  if (elapsed > kSlowListingLimit) {
    ports_.app.ShowMessage(kSlowListingMessage);
    ports_.app.Terminate();
    view_.EndModalCancel();
  }
}

void TAllConectionsForm::ListBox1Click() {
  view_.SetOkEnabled(true);
}

void TAllConectionsForm::BitBtn1Click() {
  WriteValueText(ports_.store, stored::NetworkType, SelectedLine(view_));
  ports_.state.DialogAccepted = true;
}

void TAllConectionsForm::BitBtn2Click() {
  ports_.state.DialogAccepted = false;
}

}  // namespace pelliton
