#pragma once
#include "../core/dmx_universe_state.h"
#include "../core/option_lookup.h"

// --self-test, --send, --listen, --scan, --serve and --source. Returns the process exit code; prints nothing.
int runDmxCommandLine(const ArgumentVector& args, DmxUniverseState& state);
