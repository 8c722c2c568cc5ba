// "Remove This Program": deletes the autostart value and the settings key, then ends.
#include "store/catalogue.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

namespace {

// The name of what a removal left behind, read back: the autostart value first (it would
// start the meter again at the next logon), then the settings key; empty when both are gone.
std::string_view LeftBehind(SettingsStore& store) {
  try {
    if (!ReadValueText(store, stored::Autostart).empty()) return stored::Autostart.name;
  } catch (const RegistryError&) {
    return stored::Autostart.name;  // still there, as a value of another type
  }
  if (store.KeyExists(RootKey::CurrentUser, kSettingsKey)) return kSettingsKey;
  return {};
}

}  // namespace

void TPellitonForm::RemoveThisProgram1Click() {
  RemovePrograme();
}

// Once the timer is off the store takes no more writes: a tick, a drag release or a dialog
// still open would otherwise create the settings key again after its deletion. The thanks
// come only when both deletions read back as done; otherwise the error box names what
// stayed, and the program ends all the same.
void TPellitonForm::RemovePrograme() {
  if (!ports_.app.AskYesNo("Do you want to remove this software?", "Terminate Query")) return;
  ports_.window.SetTimer1Enabled(false);
  ports_.store.StopWriting();
  ports_.store.DeleteValue(RootKey::CurrentUser, kAutostartKey, stored::Autostart.name);
  DeleteRegistry(RootKey::CurrentUser, kSettingsKey);
  const std::string_view left = LeftBehind(ports_.store);
  if (!left.empty()) {
    ports_.app.Terminate();
    throw RegistryError::FailedToDelete(left);
  }
  ports_.app.ShowMessage(
      "Thank You For Using The Zorvane Pelliton.\r\r"
      "Zorvane Pelliton has been uninstalled successfully");
  ports_.app.Terminate();
}

}  // namespace pelliton
