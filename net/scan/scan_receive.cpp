#include "scan_receive.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "../../core/clock.h"

namespace {

constexpr int kBatch = 64;
// Larger than any datagram either protocol sends, so a cut datagram is one that is invalid anyway.
constexpr std::size_t kDatagramCapacity = 2048;
// The longest pause between rounds. A default Linux socket queue (about 200 KB, some 150
// datagrams of 638 bytes) fills in 1.7 ms at 88,000 datagrams/s, so a pause this long is
// taken only while every socket is far from that.
constexpr uint64_t kMaxPauseUs = 2000;

bool isFromThisHost(const ScanSockets& set, Ipv4Address sender) {
    if (sender.bytes[0] == 127) return true;
    return std::find(set.hostAddresses.begin(), set.hostAddresses.end(), sender) != set.hostAddresses.end();
}

bool isOwnPoll(const ScanSockets& set, const ScanSocket& socket, const ReceivedDatagram& d, std::span<const uint8_t> ownPoll) {
    return !ownPoll.empty() && socket.port == DmxProtocol::ArtNet && d.length == ownPoll.size() &&
           std::memcmp(d.buffer, ownPoll.data(), ownPoll.size()) == 0 && isFromThisHost(set, d.sender);
}

// Below this a pause costs more in wake-ups than it saves in reads.
constexpr uint64_t kMinPauseUs = 100;

// Pauses so that the next round finds about half a batch on the busiest socket: one read
// then carries several datagrams (the point of batching), and no queue comes near full.
uint64_t pauseAfterRound(int busiest, uint64_t roundUs) {
    if (busiest >= kBatch) return 0;
    const uint64_t untilHalfBatch = busiest == 0 ? kMaxPauseUs : roundUs * (kBatch / 2) / static_cast<uint64_t>(busiest);
    const uint64_t pause = std::min(kMaxPauseUs, untilHalfBatch);
    return pause < kMinPauseUs ? 0 : pause;
}

}  // namespace

void receiveScan(ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs, std::span<const uint8_t> ownPoll) {
    std::vector<uint8_t> storage(kBatch * kDatagramCapacity);
    ReceivedDatagram batch[kBatch];
    for (int i = 0; i < kBatch; ++i) {
        batch[i].buffer = storage.data() + static_cast<std::size_t>(i) * kDatagramCapacity;
        batch[i].capacity = kDatagramCapacity;
    }
    uint64_t roundStart = monotonicMicroseconds();
    while (roundStart < deadlineUs) {
        int busiest = 0;
        for (const ScanSocket& socket : set.sockets) {
            const int n = receiveDatagrams(socket.handle, batch, kBatch);
            for (int i = 0; i < n; ++i) {
                const ReceivedDatagram& d = batch[i];
                if (d.arrivalUs >= deadlineUs) continue;
                if (!acceptsScanDatagram(socket.role, set.scopeInterface, d.destination)) continue;
                if (isOwnPoll(set, socket, d, ownPoll)) continue;
                takeScanDatagram(scan, socket.port, d.buffer, d.length, d.sender, d.arrivalUs);
            }
            busiest = std::max(busiest, n);
        }
        const uint64_t now = monotonicMicroseconds();
        const uint64_t pauseUs = pauseAfterRound(busiest, now - roundStart);
        roundStart = now;
        if (pauseUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
    }
}

void prepareScanReadBuffers(ScanReadBuffers& buffers) {
    buffers.storage.assign(kBatch * kDatagramCapacity, 0);
    buffers.batch.assign(kBatch, ReceivedDatagram{});
    for (int i = 0; i < kBatch; ++i) {
        buffers.batch[i].buffer = buffers.storage.data() + static_cast<std::size_t>(i) * kDatagramCapacity;
        buffers.batch[i].capacity = kDatagramCapacity;
    }
}

std::size_t drainScanSockets(ScanEngine& scan, const ScanSockets& set, ScanReadBuffers& buffers,
                             std::span<const uint8_t> ownPoll, int maxBatches, const ScanDatagramObserver& observer) {
    std::size_t taken = 0;
    const int capacity = static_cast<int>(buffers.batch.size());
    for (const ScanSocket& socket : set.sockets) {
        for (int round = 0; round < maxBatches; ++round) {
            const int n = receiveDatagrams(socket.handle, buffers.batch.data(), capacity);
            for (int i = 0; i < n; ++i) {
                const ReceivedDatagram& d = buffers.batch[static_cast<std::size_t>(i)];
                if (!acceptsScanDatagram(socket.role, set.scopeInterface, d.destination)) continue;
                if (isOwnPoll(set, socket, d, ownPoll)) continue;
                takeScanDatagram(scan, socket.port, d.buffer, d.length, d.sender, d.arrivalUs);
                ++taken;
                if (observer) observer(socket.port, d);
            }
            if (n < capacity) break;
        }
    }
    return taken;
}
