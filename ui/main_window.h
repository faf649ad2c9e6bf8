#pragma once
// The window path of program entry. Each front end defines it: ui/qt/qt_main_window.cpp
// on Linux, the Win32 front end on Windows.
#include "../core/dmx_universe_state.h"

// Opens the desktop window and runs its event loop until it is closed; returns the exit
// code (0, or 1 when no display can be reached).
int runMainWindow(int argc, char** argv, DmxUniverseState& state);
