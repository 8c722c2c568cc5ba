// Pelliton.exe: creates the ports, the windows and the form, and runs the message loop.
#include <windows.h>

#include <cstdint>

#include "metering/meter_state.h"
#include "platform/if_table.h"
#include "platform/registry_store.h"
#include "platform/router_source_win32.h"
#include "platform/system_clock.h"
#include "platform/system_locale.h"
#include "ui/error_handler_win32.h"
#include "ui/meter/application_win32.h"
#include "ui/meter/dialogs_win32.h"
#include "ui/meter/form_events_win32.h"
#include "ui/meter/meter_window_win32.h"
#include "ui/meter/one_meter_win32.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton {
namespace {

// Taken once, at process start; 0 when the system does not say.
std::uint32_t PlatformId() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but the platform identifier is what we need
#endif
  const BOOL known = GetVersionExW(&version);
  return known != FALSE ? version.dwPlatformId : 0;
}

int RunProgram() {
  // A second start shows the running meter and ends before any window or store is touched.
  OneMeterLock lock;
  if (!lock.Held() && !ShowRunningMeterOrTakeOver(lock)) return 0;
  const std::uint32_t platformId = PlatformId();

  RegistryStore store;
  IpHelperInterfaceTable table;
  SystemClock clock;
  SystemLocale locale;
  MeterState state;
  Win32RouterSource router;

  Win32Application app;
  Win32MeterWindow meter(app.Handle(), app);
  app.SetMeterWindow(meter.Handle());
  Win32Dialogs dialogs(app.Handle(), meter.Handle(),
                       {state, store, table, clock, app, meter, &router}, locale);
  TPellitonForm form(state, {store, table, clock, locale, meter, app, dialogs, &router});

  bool supported = false;
  Guarded([&] { supported = form.FormCreate(platformId); });
  if (!supported) return 0;

  FormEvents events(form);
  meter.SetEvents(&events);
  app.ShowTaskbarButton();
  meter.ShowAndActivate();
  return app.Run();
}

}  // namespace
}  // namespace pelliton

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int exitCode = 1;
  pelliton::Guarded([&] { exitCode = pelliton::RunProgram(); });
  return exitCode;
}
