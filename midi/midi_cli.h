#pragma once
#include "../core/option_lookup.h"

// --midi-list, --midi-listen and --midi-send. Returns the process exit code.
int runMidiCommandLine(const ArgumentVector& args);
