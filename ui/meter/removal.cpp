// "Remove This Program": deletes the autostart value and the settings key, then ends.
#include "store/catalogue.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

void TPellitonForm::RemoveThisProgram1Click() {
  RemovePrograme();
}

// Once the timer is off the store takes no more writes: a tick, a drag release or a dialog
// still open would otherwise create the settings key again after its deletion.
void TPellitonForm::RemovePrograme() {
  if (!ports_.app.AskYesNo("Do you want to remove this software?", "Terminate Query")) return;
  ports_.window.SetTimer1Enabled(false);
  ports_.store.StopWriting();
  ports_.store.DeleteValue(RootKey::CurrentUser, kAutostartKey, stored::Autostart.name);
  DeleteRegistry(RootKey::CurrentUser, kSettingsKey);
  ports_.app.ShowMessage(
      "Thank You For Using The Zorvane Pelliton.\r\r"
      "Zorvane Pelliton has been uninstalled successfully");
  ports_.app.Terminate();
}

}  // namespace pelliton
