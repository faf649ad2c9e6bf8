#pragma once
// What a receiver outputs for one sACN universe: the levels of the live sources merged
// slot by slot, as consoles and the common receiver libraries do with per-address priority.
// A pure function of the source records and the moment; nothing is kept between calls.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "scan_engine.h"

constexpr int16_t kNoWinner = -1;

struct MergedUniverse {
    uint16_t universe = 0;
    std::array<uint8_t, kDmxSlotCount> levels{};       // 0 where no source drives the slot
    std::array<int16_t, kDmxSlotCount> winners{};      // position in the sources merged, or kNoWinner
    std::array<uint8_t, kDmxSlotCount> priorities{};   // the winner's priority for the slot
    int32_t slotCount = 0;                             // one past the last slot any source drives
};

// Whether the source takes part in its universe's merge now: live, and not in preview.
bool takesPartInMerge(const SacnStreamRecord& source, uint64_t nowUs);

// Whether the source's per-address priorities hold now: one arrived within the loss time.
bool hasPerAddressPriority(const SacnStreamRecord& source, uint64_t nowUs);

// Merges sources (all of one universe). Per slot, among the sources taking part, the
// highest priority wins: the source's per-address priority for the slot where it sends
// them (0: it does not drive the slot), else its universe priority. Equal priorities
// merge highest level first; a tie in both keeps the earlier source of the list.
void mergeUniverse(std::span<const SacnStreamRecord* const> sources, uint64_t nowUs, MergedUniverse& merged);

// Where the merge falls back to the highest level: two or more sources taking part share
// the highest priority of a slot (with universe priorities alone: share the top of the universe).
struct PriorityTie {
    int sources = 0;  // sharing the top of the first such slot; 0: no tie
    uint8_t priority = 0;
    int slot = -1;            // the first such slot, from 0
    bool perAddress = false;  // a source taking part sends per-address priorities
    const SacnStreamRecord* first = nullptr;  // the first of them in sources
};
PriorityTie findPriorityTie(std::span<const SacnStreamRecord* const> sources, uint64_t nowUs);

// The sources of one universe, in table order, into sources (emptied first): what a view of
// one universe merges.
void collectUniverseSources(const ScanEngine& scan, uint16_t universe, std::vector<const SacnStreamRecord*>& sources);
