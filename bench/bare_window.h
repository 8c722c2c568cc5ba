#pragma once

// The bare window that the start-up and memory figures compare Pelliton with.
#ifdef PELLITON_FLOOR
#define PELLITON_BARE_CLASS L"PellitonBenchFloorWindow"
#else
#define PELLITON_BARE_CLASS L"PellitonBenchBareWindow"
#endif
