#pragma once
// What --source sends in each slot: a test pattern, given as text, computed for a universe
// at a time since the start. Pure: the time comes in as a parameter.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "slot_values.h"

enum class PatternKind { Static, Levels, Chase, Ramp, Wave, Snapshot };

struct SnapshotUniverse {
    uint16_t universe = 0;
    SlotValues levels{};
};

struct SourcePattern {
    PatternKind kind = PatternKind::Static;
    uint8_t level = 0;        // static
    uint32_t periodMs = 0;    // chase: one step; ramp and wave: one cycle
    SlotValues levels{};      // levels
    std::string file;         // snapshot: the document to read (readSnapshotLevels)
    std::vector<SnapshotUniverse> snapshot;  // in ascending universe order
};

inline constexpr uint32_t kChaseStepMs = 1000;
inline constexpr uint32_t kRampCycleMs = 5000;
inline constexpr uint32_t kWaveCycleMs = 5000;

// "static:N", "levels:1-24=255,25=128", "chase[:MS]", "ramp[:MS]", "wave[:MS]" (MS 1 to
// 3600000) or "snapshot:FILE"; nullopt when it does not read.
std::optional<SourcePattern> parseSourcePattern(std::string_view text);

// The levels of a --scan --levels document (its merged universes) or of a --listen capture
// (its one universe) into pattern.snapshot; false when the text is neither.
bool readSnapshotLevels(std::string_view json, SourcePattern& pattern);

// Static, levels and snapshot never change, so their levels are written once.
bool patternIsConstant(const SourcePattern& pattern);
// Every universe holds the same levels at a time (all but chase and snapshot).
bool patternIsShared(const SourcePattern& pattern);

// Where a universe stands among those sent.
struct PatternPlace {
    std::size_t index = 0;  // its position in ascending order
    std::size_t count = 1;  // universes sent
    uint16_t universe = 0;
    std::size_t slots = kDmxSlotCount;
};

// Writes the universe's place.slots levels at timeMs since the start into out.
void fillPatternLevels(const SourcePattern& pattern, const PatternPlace& place, uint64_t timeMs, uint8_t* out);
