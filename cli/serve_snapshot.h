#pragma once
// The hand-over between --serve's two sides. The thread that runs the scan copies its
// engine into a snapshot at a bounded rate and publishes it; the HTTP threads take the
// latest under a lock held only while a pointer is copied, and render from that copy while
// the scan goes on. No HTTP thread touches the live engine, and no scrape holds the scan up
// for longer than the copy it never waits for.
#include <cstdint>
#include <memory>
#include <mutex>

#include "../net/scan/scan_engine.h"
#include "scan_report.h"

struct ServeSnapshot {
    ScanEngine scan;
    ScanReportSettings settings;
    uint64_t takenUs = 0;
    bool dropsKnown = false;
    uint64_t receiveDrops = 0;
};

struct ServeSnapshotSlot {
    ServeSnapshot snapshot;
    int readers = 0;  // under the exchange's mutex
};

struct ServeSnapshotExchange {
    std::mutex mutex;
    std::shared_ptr<ServeSnapshotSlot> latest;  // under mutex
    // The snapshot published before latest, refilled once no reader holds it so that
    // publishing does not allocate in the steady state. Readers give their hold back under
    // the mutex, so the refill is ordered after every read of it (a bare use count is not).
    std::shared_ptr<ServeSnapshotSlot> spare;  // under mutex
};

// Called by the scan's thread: copies what the snapshot holds and makes it the latest.
void publishServeSnapshot(ServeSnapshotExchange& exchange, const ScanEngine& scan, const ScanReportSettings& settings,
                          uint64_t nowUs, bool dropsKnown, uint64_t receiveDrops);

// Called by any thread; empty before the first publication. The exchange must outlive the
// handle.
std::shared_ptr<const ServeSnapshot> latestServeSnapshot(ServeSnapshotExchange& exchange);
