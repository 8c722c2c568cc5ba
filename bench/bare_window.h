#pragma once

// The bare window that the start-up and memory figures compare Pelliton with.
#define PELLITON_BARE_CLASS L"PellitonBenchBareWindow"
