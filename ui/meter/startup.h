#pragma once

#include "metering/meter_state.h"
#include "ui/meter_window.h"

namespace pelliton {

// Takes the program from its first activation to a running meter: resets the figures,
// installs on the first run (connection choice and autostart entry), restores the window
// options and the stored usage, starts Timer1 and applies the stay-on-top option. A bad
// stored value reads as absent (its default), and an autostart entry that could not be
// stored leaves the next start a first run: the sequence runs to its end all the same and
// then raises the first such error, once.
void RunStartUp(MeterState& state, const FormPorts& ports);

}  // namespace pelliton
