#pragma once
#include "../core/option_lookup.h"

// lumibox --record: records the DMX ports into a pcapng file. Returns the exit code.
int runRecord(const ArgumentVector& args);
