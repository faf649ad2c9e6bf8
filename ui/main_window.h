#pragma once
// The window path of the Linux entry (cli/main.cpp), defined by the Qt front end in
// ui/qt/qt_main_window.cpp. The Windows entry calls ui/win32/win32_main_window.h instead.
#include "../core/dmx_universe_state.h"

// Opens the desktop window and runs its event loop until it is closed; returns the exit
// code (0, or 1 when no display can be reached).
int runMainWindow(int argc, char** argv, DmxUniverseState& state);

// The --network path: the Network window, and the main window it may open, until both
// are closed; exit codes as above.
int runNetworkWindow(int argc, char** argv, DmxUniverseState& state);
