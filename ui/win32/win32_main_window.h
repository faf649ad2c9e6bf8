#pragma once
// The window path of program entry on Windows (cli/main_win32.cpp).
#include <windows.h>

#include "../../core/dmx_universe_state.h"

// Registers the window class, creates the main window with the initial show command and
// runs the message loop until the window is closed; then deletes the window's font and
// brush and returns the exit code, 0. The window transmits with `state` (its CID made
// by the entry); the form without a state makes one with a fresh CID.
int runMainWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state);
int runMainWindow(HINSTANCE instance, int showCommand);

// The --network path: the Network window, and the main window it may open, until both
// are closed; 0, or 1 when the window cannot be created.
int runNetworkWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state);
