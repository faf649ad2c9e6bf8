#include "universe_state.h"

#include "universe_merge.h"

UniverseCondition universeCondition(const ScanEngine& scan, std::span<const SacnStreamRecord* const> sources,
                                    uint64_t nowUs) {
    UniverseCondition condition;
    bool anyLost = false;
    for (const SacnStreamRecord* source : sources) {
        ++condition.sources;
        const SacnSourceState state = sacnSourceState(*source, nowUs);
        if (state == SacnSourceState::Live) ++condition.liveSources;
        anyLost = anyLost || state == SacnSourceState::Lost;
        if (!takesPartInMerge(*source, nowUs)) continue;
        if (source->syncUniverse != 0 && !isSyncArriving(scan, source->syncUniverse, nowUs)) condition.syncMissing = true;
    }
    condition.priorityConflict = findPriorityTie(sources, nowUs).sources >= 2;
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
