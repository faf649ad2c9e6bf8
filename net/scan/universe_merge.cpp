#include "universe_merge.h"

#include <algorithm>

bool takesPartInMerge(const SacnStreamRecord& source, uint64_t nowUs) {
    return source.timing.packets > 0 && !source.preview && sacnSourceState(source, nowUs) == SacnSourceState::Live;
}

bool hasPerAddressPriority(const SacnStreamRecord& source, uint64_t nowUs) {
    return source.perAddressPriorityPackets > 0 && nowUs >= source.lastPerAddressPriorityUs &&
           nowUs - source.lastPerAddressPriorityUs < kSacnSourceLossUs;
}

namespace {

// The slots a source drives, and its priority for one of them (0 with per-address
// priority: not driven).
int drivenSlots(const SacnStreamRecord& source, bool perAddress) {
    return perAddress ? std::min(source.slotCount, source.perAddressPrioritySlotCount) : source.slotCount;
}

uint8_t slotPriority(const SacnStreamRecord& source, bool perAddress, std::size_t slot) {
    return perAddress ? source.perAddressPriorities[slot] : source.priority;
}

}  // namespace

void mergeUniverse(std::span<const SacnStreamRecord* const> sources, uint64_t nowUs, MergedUniverse& merged) {
    merged.levels.fill(0);
    merged.winners.fill(kNoWinner);
    merged.priorities.fill(0);
    merged.slotCount = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const SacnStreamRecord& source = *sources[i];
        if (i == 0) merged.universe = source.universe;
        if (!takesPartInMerge(source, nowUs)) continue;
        const bool perAddress = hasPerAddressPriority(source, nowUs);
        const int slots = drivenSlots(source, perAddress);
        for (int slot = 0; slot < slots; ++slot) {
            const auto k = static_cast<std::size_t>(slot);
            const uint8_t priority = slotPriority(source, perAddress, k);
            if (perAddress && priority == 0) continue;
            const uint8_t level = source.levels[k];
            const int16_t winner = merged.winners[k];
            const bool wins = winner == kNoWinner || priority > merged.priorities[k] ||
                              (priority == merged.priorities[k] && level > merged.levels[k]);
            if (!wins) continue;
            merged.winners[k] = static_cast<int16_t>(i);
            merged.priorities[k] = priority;
            merged.levels[k] = level;
            merged.slotCount = std::max(merged.slotCount, slot + 1);
        }
    }
}

PriorityTie findPriorityTie(std::span<const SacnStreamRecord* const> sources, uint64_t nowUs) {
    PriorityTie tie;
    std::array<uint8_t, kDmxSlotCount> top{};
    std::array<uint8_t, kDmxSlotCount> count{};
    int taking = 0;
    for (const SacnStreamRecord* source : sources) taking += takesPartInMerge(*source, nowUs) ? 1 : 0;
    if (taking < 2) return tie;
    // The priority a source taking part has for slot k, -1 where it does not drive it.
    const auto priorityAt = [nowUs](const SacnStreamRecord& source, std::size_t k) {
        const bool perAddress = hasPerAddressPriority(source, nowUs);
        if (static_cast<int>(k) >= drivenSlots(source, perAddress)) return -1;
        const uint8_t priority = slotPriority(source, perAddress, k);
        return perAddress && priority == 0 ? -1 : int{priority};
    };
    for (const SacnStreamRecord* source : sources) {
        if (!takesPartInMerge(*source, nowUs)) continue;
        tie.perAddress = tie.perAddress || hasPerAddressPriority(*source, nowUs);
        for (std::size_t k = 0; k < kDmxSlotCount; ++k) {
            const int priority = priorityAt(*source, k);
            if (priority < 0) {
                if (static_cast<int>(k) >= source->slotCount) break;
                continue;
            }
            if (count[k] == 0 || priority > top[k]) {
                top[k] = static_cast<uint8_t>(priority);
                count[k] = 1;
            } else if (priority == top[k] && count[k] < UINT8_MAX) {
                ++count[k];
            }
        }
    }
    const auto slot = std::find_if(count.begin(), count.end(), [](uint8_t c) { return c >= 2; });
    if (slot == count.end()) {
        tie.perAddress = false;
        return tie;
    }
    const auto k = static_cast<std::size_t>(slot - count.begin());
    tie.slot = static_cast<int>(k);
    tie.sources = *slot;
    tie.priority = top[k];
    for (const SacnStreamRecord* source : sources) {
        if (takesPartInMerge(*source, nowUs) && priorityAt(*source, k) == int{tie.priority}) {
            tie.first = source;
            break;
        }
    }
    return tie;
}

void collectUniverseSources(const ScanEngine& scan, uint16_t universe, std::vector<const SacnStreamRecord*>& sources) {
    sources.clear();
    for (const SacnStreamRecord& r : scan.sacn.records) {
        if (r.universe == universe) sources.push_back(&r);
    }
}
