#pragma once
// --record and --replay, built where a maintained capture file library serves the build
// (libpcap on Linux): the table --help lists and the entry the program dispatches to.
#include <span>

#include "../core/option_lookup.h"

// capture_options::kModes where the modes are built, else nothing (capture_mode_table_*.cpp).
std::span<const CommandLineMode> builtCaptureModes();

bool isCaptureMode(const ArgumentVector& args);

// Runs the mode named by args[1]; one of builtCaptureModes.
int runCaptureMode(const ArgumentVector& args);
