#pragma once
// Start-up and dispatch, shared by every platform's entry (main.cpp, main_win32.cpp).
#include <functional>

#include "../core/dmx_universe_state.h"
#include "../core/option_lookup.h"

// Which window a window path opens: the main window (no arguments) or the Network window
// (--network).
enum class WindowChoice { Main, Network };

// The window path of an entry: opens the platform's window and runs its event loop until
// it is closed; returns the exit code.
using WindowPath = std::function<int(DmxUniverseState& state, WindowChoice choice)>;

// On the split UTF-8 argument vector: the icon export; otherwise the socket library is
// started and the CID made, then the MIDI modes, the DMX modes or, with no arguments or
// --network alone, a window; the socket library is stopped again before the exit code is returned.
int runProgram(const ArgumentVector& args, const WindowPath& openWindow);
