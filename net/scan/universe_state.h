#pragma once
// How a universe stands as a whole, from its sources at a moment: what a list of many
// universes shows before anyone opens one.
#include <cstdint>
#include <span>

#include "scan_engine.h"

// Live while any source is; lost when none is but one fell silent; ended when every
// source ended its stream.
enum class UniverseLiveness : uint8_t { Live, Lost, Ended };

struct UniverseCondition {
    UniverseLiveness liveness = UniverseLiveness::Ended;
    int sources = 0;
    int liveSources = 0;
    // Two sources taking part in the merge share the highest priority of a slot, so
    // the merge falls back to the highest level there and the levels may flicker: the tie
    // findPriorityTie finds, as the event log's priorityConflict does.
    bool priorityConflict = false;
    // A source taking part names a synchronisation universe whose packets stopped.
    bool syncMissing = false;
};

// sources: all of one universe.
UniverseCondition universeCondition(const ScanEngine& scan, std::span<const SacnStreamRecord* const> sources,
                                    uint64_t nowUs);

// "live", "lost" or "ended".
const char* universeLivenessName(UniverseLiveness liveness);
