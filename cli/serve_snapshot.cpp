#include "serve_snapshot.h"

void publishServeSnapshot(ServeSnapshotExchange& exchange, const ScanEngine& scan, const ScanReportSettings& settings,
                          uint64_t nowUs, bool dropsKnown, uint64_t receiveDrops) {
    std::shared_ptr<ServeSnapshotSlot> next;
    {
        std::lock_guard lock(exchange.mutex);
        if (exchange.spare && exchange.spare->readers == 0) next = std::move(exchange.spare);
    }
    if (!next) next = std::make_shared<ServeSnapshotSlot>();
    ServeSnapshot& snapshot = next->snapshot;
    snapshot.scan = scan;  // assignment into earlier buffers: the tables keep their capacity
    snapshot.settings = settings;
    snapshot.takenUs = nowUs;
    snapshot.dropsKnown = dropsKnown;
    snapshot.receiveDrops = receiveDrops;
    std::lock_guard lock(exchange.mutex);
    exchange.spare = std::move(exchange.latest);
    exchange.latest = std::move(next);
}

std::shared_ptr<const ServeSnapshot> latestServeSnapshot(ServeSnapshotExchange& exchange) {
    std::lock_guard lock(exchange.mutex);
    if (!exchange.latest) return {};
    ++exchange.latest->readers;
    ServeSnapshotExchange* shared = &exchange;
    return {&exchange.latest->snapshot, [shared, slot = exchange.latest](const ServeSnapshot*) {
                std::lock_guard giveBack(shared->mutex);
                --slot->readers;
            }};
}
