#include "serve_snapshot.h"

void publishServeSnapshot(ServeSnapshotExchange& exchange, const ScanEngine& scan, const ScanReportSettings& settings,
                          uint64_t nowUs, bool dropsKnown, uint64_t receiveDrops) {
    // Only this thread ever hands out previous, and readers only ever get latest: a count of
    // one means no reader can still be rendering from it.
    std::shared_ptr<ServeSnapshot> next = std::move(exchange.previous);
    if (!next || next.use_count() != 1) next = std::make_shared<ServeSnapshot>();
    next->scan = scan;  // assignment into earlier buffers: the tables keep their capacity
    next->settings = settings;
    next->takenUs = nowUs;
    next->dropsKnown = dropsKnown;
    next->receiveDrops = receiveDrops;
    {
        std::lock_guard lock(exchange.mutex);
        exchange.latest = next;
    }
    exchange.previous = std::move(exchange.current);
    exchange.current = std::move(next);
}

std::shared_ptr<const ServeSnapshot> latestServeSnapshot(ServeSnapshotExchange& exchange) {
    std::lock_guard lock(exchange.mutex);
    return exchange.latest;
}
