// The hand-over of --serve: a thread publishing snapshots of a scan that keeps changing
// while readers render from the latest. Run under ThreadSanitizer by ./test.sh; here a
// torn snapshot shows as fields that disagree.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "cli/scan_metrics.h"
#include "cli/serve_live_page.h"
#include "cli/serve_snapshot.h"
#include "core/tests/scan_packets.h"

using namespace scan_packets;

TEST(ServeSnapshot, ReadersSeeWholeSnapshotsWhileTheScanGoesOn) {
    ScanEngine scan;
    startScan(scan, 0);
    ScanReportSettings settings;
    ServeSnapshotExchange exchange;
    publishServeSnapshot(exchange, scan, settings, 0, false, 0);

    constexpr int kPublications = 300;
    std::atomic<bool> done{false};
    std::vector<std::thread> readers;
    std::atomic<int> torn{0};
    std::atomic<int> renders{0};
    // The live page's data, whose overview the first reader of a snapshot makes for all.
    const auto pages = liveServePages(exchange);
    const HttpPage livePage = *std::find_if(pages.begin(), pages.end(), [](const HttpPage& p) { return p.path == "/live.json"; });
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            uint64_t lastTaken = 0;
            while (!done) {
                const auto snapshot = latestServeSnapshot(exchange);
                // The publisher takes one datagram per microsecond of its clock, and drops
                // are the datagram count: all three fields come from one publication.
                if (snapshot->scan.datagrams != snapshot->takenUs || snapshot->receiveDrops != snapshot->takenUs ||
                    snapshot->takenUs < lastTaken)
                    ++torn;
                lastTaken = snapshot->takenUs;
                if (scanMetricsText(snapshot->scan, {"test", true, snapshot->receiveDrops}, snapshot->takenUs).empty()) ++torn;
                if (livePage.answer({{"universe", "1"}}).body.find("\"universe\":1,") == std::string::npos) ++torn;
                ++renders;
            }
        });
    }
    const auto packet = sacnData(SacnData{});
    for (uint64_t now = 1; now <= kPublications; ++now) {
        takeScanDatagram(scan, DmxProtocol::Sacn, packet.data(), packet.size(), Ipv4Address{{10, 0, 0, 1}}, now);
        publishServeSnapshot(exchange, scan, settings, now, true, now);
    }
    while (renders < 10) std::this_thread::yield();
    done = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(latestServeSnapshot(exchange)->scan.datagrams, uint64_t{kPublications});
}
