#pragma once
// --record and --replay, over libpcap: the table --help lists and the entry the program
// dispatches to.
#include <span>

#include "../core/option_lookup.h"

// capture_options::kModes (capture_mode_table.cpp).
std::span<const CommandLineMode> builtCaptureModes();

bool isCaptureMode(const ArgumentVector& args);

// Runs the mode named by args[1]; one of builtCaptureModes.
int runCaptureMode(const ArgumentVector& args);
