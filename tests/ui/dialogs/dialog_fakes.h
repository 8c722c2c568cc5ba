#pragma once

#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton::testing {

// Everything a dialog opened from the meter works with, as fakes.
struct FakeDialogPorts {
  DialogPorts Ports() { return DialogPorts{state, store, table, clock, app, window}; }

  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeApplication app;
  FakeMeterWindow window;
};

}  // namespace pelliton::testing
