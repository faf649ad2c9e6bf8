#pragma once
#include "../core/option_lookup.h"

// lumibox --replay FILE: sends a capture file's DMX datagrams again. Returns the exit code.
int runReplay(const ArgumentVector& args);
