#include "universe_merge.h"

#include <algorithm>

bool takesPartInMerge(const SacnStreamRecord& source, uint64_t nowUs) {
    return source.timing.packets > 0 && !source.preview && sacnSourceState(source, nowUs) == SacnSourceState::Live;
}

bool hasPerAddressPriority(const SacnStreamRecord& source, uint64_t nowUs) {
    return source.perAddressPriorityPackets > 0 && nowUs >= source.lastPerAddressPriorityUs &&
           nowUs - source.lastPerAddressPriorityUs < kSacnSourceLossUs;
}

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
        const int slots = perAddress ? std::min(source.slotCount, source.perAddressPrioritySlotCount) : source.slotCount;
        for (int slot = 0; slot < slots; ++slot) {
            const auto k = static_cast<std::size_t>(slot);
            const uint8_t priority = perAddress ? source.perAddressPriorities[k] : source.priority;
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

void collectUniverseSources(const ScanEngine& scan, uint16_t universe, std::vector<const SacnStreamRecord*>& sources) {
    sources.clear();
    for (const SacnStreamRecord& r : scan.sacn.records) {
        if (r.universe == universe) sources.push_back(&r);
    }
}
