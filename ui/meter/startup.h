#pragma once

#include "metering/meter_state.h"
#include "ui/meter_window.h"

namespace pelliton {

// Takes the program from its first activation to a running meter: resets the figures,
// installs on the first run (connection choice and autostart entry), restores the window
// options and the stored usage, starts Timer1 and applies the stay-on-top option. An error
// ends the sequence at its step; the later steps (the timer among them) do not run. An
// autostart entry that could not be stored is the exception: the sequence runs to its end
// and then raises the store's error.
void RunStartUp(MeterState& state, const FormPorts& ports);

}  // namespace pelliton
