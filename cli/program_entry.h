#pragma once
#include "../core/option_lookup.h"

// Start-up and dispatch: icon export, MIDI modes, DMX modes or the window.
// argc/argv are passed on untouched for the window toolkit.
int runProgram(int argc, char** argv);
