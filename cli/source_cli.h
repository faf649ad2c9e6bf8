#pragma once
// --source: many universes sent as a test source until the duration passes or a stop
// signal comes. Returns the process exit code; prints nothing.
#include <optional>

#include "../core/option_lookup.h"
#include "../core/source_settings.h"

int runSourceMode(const ArgumentVector& args);

// The settings the options ask for, the snapshot file read; nullopt when one does not read
// (exit code 2). --local is read by the caller, as a bad address ends with 4. No random CID
// is made here: the caller draws one when --cid is absent.
std::optional<SourceSettings> readSourceSettings(const ArgumentVector& args);
