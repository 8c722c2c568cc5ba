#pragma once

#include <string_view>

#include "metering/base/clock.h"
#include "metering/sources/interface_table.h"
#include "metering/base/locale.h"
#include "metering/meter_state.h"
#include "metering/sources/router_source.h"
#include "store/settings_store.h"

namespace pelliton {

// The meter window as the metering core sees it: three texts and the sampling timer.
class MeterView {
 public:
  virtual ~MeterView() = default;
  virtual void SetLabel1(std::string_view text) = 0;  // big figure
  virtual void SetLabel2(std::string_view text) = 0;  // small upper figure
  virtual void SetLabel3(std::string_view text) = 0;  // connected time
  // Enabling restarts the full 2000 ms interval.
  virtual void SetTimer1Enabled(bool enabled) = 0;
  // A notice for the user: an information box, shown once the tick is over, one at a time.
  // A view that shows none drops it.
  virtual void PostNotice(std::string_view /*text*/) {}
  // A warning of an allowance: its name as the title and its figures as the text. A view
  // without a balloon of its own shows the text as a notice.
  virtual void PostWarning(std::string_view /*title*/, std::string_view text) {
    PostNotice(text);
  }
};

// Everything a handler of the meter works with: the one MeterState and the platform.
struct MeterContext {
  MeterState& state;
  SettingsStore& store;
  InterfaceTable& table;
  const Clock& clock;
  const Locale& locale;
  MeterView& view;
  RouterSource* router = nullptr;  // the household's router, where the platform reads one
};

}  // namespace pelliton
