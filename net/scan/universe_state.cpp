#include "universe_state.h"

#include <algorithm>
#include <array>

#include "universe_merge.h"

namespace {

// Per slot the highest priority any source taking part gives it and how many give it that.
struct SlotPriorities {
    std::array<int16_t, kDmxSlotCount> top;
    std::array<uint8_t, kDmxSlotCount> atTop{};
    SlotPriorities() { top.fill(-1); }

    void add(int slot, uint8_t priority) {
        const auto k = static_cast<std::size_t>(slot);
        if (priority > top[k]) {
            top[k] = priority;
            atTop[k] = 1;
        } else if (priority == top[k]) {
            atTop[k] = static_cast<uint8_t>(std::min(atTop[k] + 1, 2));
        }
    }
};

// The slots a source drives and at which priority, as the merge reads them.
void addSource(SlotPriorities& slots, const SacnStreamRecord& source, uint64_t nowUs) {
    if (!hasPerAddressPriority(source, nowUs)) {
        for (int slot = 0; slot < source.slotCount; ++slot) slots.add(slot, source.priority);
        return;
    }
    const int count = std::min(source.slotCount, source.perAddressPrioritySlotCount);
    for (int slot = 0; slot < count; ++slot) {
        const uint8_t priority = source.perAddressPriorities[static_cast<std::size_t>(slot)];
        if (priority != 0) slots.add(slot, priority);
    }
}

}  // namespace

UniverseCondition universeCondition(const ScanEngine& scan, std::span<const SacnStreamRecord* const> sources,
                                    uint64_t nowUs) {
    UniverseCondition condition;
    SlotPriorities slots;
    bool anyLost = false;
    for (const SacnStreamRecord* source : sources) {
        ++condition.sources;
        const SacnSourceState state = sacnSourceState(*source, nowUs);
        if (state == SacnSourceState::Live) ++condition.liveSources;
        anyLost = anyLost || state == SacnSourceState::Lost;
        if (!takesPartInMerge(*source, nowUs)) continue;
        addSource(slots, *source, nowUs);
        if (source->syncUniverse != 0 && !isSyncArriving(scan, source->syncUniverse, nowUs)) condition.syncMissing = true;
    }
    condition.priorityConflict = std::any_of(slots.atTop.begin(), slots.atTop.end(), [](uint8_t n) { return n > 1; });
    condition.liveness = condition.liveSources > 0 ? UniverseLiveness::Live
                         : anyLost                 ? UniverseLiveness::Lost
                                                   : UniverseLiveness::Ended;
    return condition;
}

const char* universeLivenessName(UniverseLiveness liveness) {
    switch (liveness) {
        case UniverseLiveness::Live: return "live";
        case UniverseLiveness::Lost: return "lost";
        case UniverseLiveness::Ended: return "ended";
    }
    return "";
}
