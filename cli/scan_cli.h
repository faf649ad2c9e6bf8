#pragma once
#include "../core/option_lookup.h"

// --scan: listens on both DMX ports for --listen-ms and writes what it heard to --output.
// Returns the process exit code; prints nothing.
int runScan(const ArgumentVector& args);
