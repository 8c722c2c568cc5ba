#pragma once

#include <gtest/gtest.h>

#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton::testing {

// A TPellitonForm over fakes, on 8 Dec 2026, on a 1280 x 800 screen.
class FormTest : public ::testing::Test {
 protected:
  static constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

  void SetInstalled() { store.Set("Zorvane Pelliton", "C:\\Pelliton.exe", kRunKey); }
  // The user picks `line` in the connection dialog and confirms it with OK.
  void ConfirmInDialog(const std::string& line) {
    dialogs.onConnectionDialog = [this, line] {
      store.Set("NetworkType", line);
      state.DialogAccepted = true;
    };
  }

  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeLocale locale;
  FakeMeterWindow window;
  FakeApplication app;
  FakeDialogs dialogs;
  TPellitonForm form{state, FormPorts{store, table, clock, locale, window, app, dialogs}};
};

}  // namespace pelliton::testing
