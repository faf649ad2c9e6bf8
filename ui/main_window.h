#pragma once
#include "../core/dmx_universe_state.h"

// Opens the desktop window and runs its event loop; returns the exit code.
int runMainWindow(int argc, char** argv, DmxUniverseState& state);
