#include "scan_receive.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "../../core/clock.h"

namespace {

// Larger than any datagram either protocol sends, so a cut datagram is one that is invalid anyway.
constexpr std::size_t kDatagramCapacity = 2048;
// The longest pause between reads under load. A default Linux socket queue (about 200 KB,
// some 150 datagrams of 638 bytes) fills in 1.7 ms at 88,000 datagrams/s, so a pause this
// long is taken only while every socket is far from that.
constexpr uint64_t kMaxPauseUs = 2000;
// Below this a pause costs more in wake-ups than it saves in reads.
constexpr uint64_t kMinPauseUs = 100;

bool isFromThisHost(const ScanSockets& set, Ipv4Address sender) {
    if (sender.bytes[0] == 127) return true;
    return std::find(set.hostAddresses.begin(), set.hostAddresses.end(), sender) != set.hostAddresses.end();
}

bool isOwnPoll(const ScanSockets& set, const ScanSocket& socket, const ReceivedDatagram& d, std::span<const uint8_t> ownPoll) {
    return !ownPoll.empty() && socket.port == DmxProtocol::ArtNet && d.length == ownPoll.size() &&
           std::memcmp(d.buffer, ownPoll.data(), ownPoll.size()) == 0 && isFromThisHost(set, d.sender);
}

// Pauses so that the next round finds about half a batch on the busiest socket: one read
// then carries several datagrams (the point of batching), and no queue comes near full.
uint64_t pauseAfterRound(int busiest, uint64_t roundUs) {
    if (busiest >= kScanBatch || busiest == 0) return 0;
    const uint64_t untilHalfBatch = roundUs * (kScanBatch / 2) / static_cast<uint64_t>(busiest);
    const uint64_t pause = std::min(kMaxPauseUs, untilHalfBatch);
    return pause < kMinPauseUs ? 0 : pause;
}

// Reads one socket dry; the largest batch it read.
int readSocket(ScanReceiver& receiver, ScanEngine& scan, const ScanSockets& set, const ScanSocket& socket, uint64_t cutoffUs) {
    int largest = 0;
    while (true) {
        const int n = receiveDatagrams(socket.handle, receiver.batch.data(), kScanBatch);
        for (int i = 0; i < n; ++i) {
            const ReceivedDatagram& d = receiver.batch[static_cast<std::size_t>(i)];
            if (d.arrivalUs >= cutoffUs) continue;
            if (!acceptsScanDatagram(socket.role, set.scopeInterface, d.destination)) continue;
            if (isOwnPoll(set, socket, d, receiver.ownPoll)) continue;
            takeScanDatagram(scan, socket.port, d.buffer, d.length, d.sender, d.arrivalUs, d.destination.address);
            if (receiver.observer) receiver.observer(socket.port, d);
        }
        largest = std::max(largest, n);
        if (n < kScanBatch) return largest;
    }
}

int waitMs(uint64_t nowUs, uint64_t deadlineUs, int maxWaitMs) {
    const uint64_t leftMs = (deadlineUs - nowUs + 999) / 1000;
    const int ms = static_cast<int>(std::min<uint64_t>(leftMs, 60000));
    return maxWaitMs >= 0 ? std::min(ms, maxWaitMs) : ms;
}

}  // namespace

bool openScanReceiver(ScanReceiver& receiver, const ScanSockets& set, SocketHandle wake) {
    receiver.storage.assign(static_cast<std::size_t>(kScanBatch) * kDatagramCapacity, 0);
    for (std::size_t i = 0; i < receiver.batch.size(); ++i) {
        receiver.batch[i].buffer = receiver.storage.data() + i * kDatagramCapacity;
        receiver.batch[i].capacity = kDatagramCapacity;
    }
    receiver.watched = 0;
    receiver.wake = wake;
    if (!openSocketWaitSet(receiver.waitSet)) return false;
    if (wake != kInvalidSocket && !addToSocketWaitSet(receiver.waitSet, wake)) return false;
    return watchNewScanSockets(receiver, set);
}

bool watchNewScanSockets(ScanReceiver& receiver, const ScanSockets& set) {
    for (; receiver.watched < set.sockets.size(); ++receiver.watched) {
        if (!addToSocketWaitSet(receiver.waitSet, set.sockets[receiver.watched].handle)) return false;
    }
    return true;
}

void closeScanReceiver(ScanReceiver& receiver) { closeSocketWaitSet(receiver.waitSet); }

ScanWakeReason receiveScan(ScanReceiver& receiver, ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs,
                           uint64_t cutoffUs, int maxWaitMs) {
    const uint64_t announcedBefore = scan.announced.changes;
    const std::size_t offset = receiver.wake != kInvalidSocket ? 1 : 0;  // the wake handle is member 0
    int ready[kSocketWaitSetLimit];
    while (true) {
        const uint64_t now = monotonicMicroseconds();
        if (now >= deadlineUs) return ScanWakeReason::Deadline;
        const int n = waitForSockets(receiver.waitSet, waitMs(now, deadlineUs, maxWaitMs), ready, static_cast<int>(std::size(ready)));
        if (n <= 0) {
            if (maxWaitMs >= 0) return ScanWakeReason::Deadline;  // the caller checks its stop flag
            continue;
        }
        int busiest = 0;
        for (int i = 0; i < n; ++i) {
            const auto member = static_cast<std::size_t>(ready[i]);
            if (offset == 1 && member == 0) return ScanWakeReason::Woken;
            busiest = std::max(busiest, readSocket(receiver, scan, set, set.sockets[member - offset], cutoffUs));
        }
        if (scan.announced.changes != announcedBefore) return ScanWakeReason::Announced;
        const uint64_t end = monotonicMicroseconds();
        const uint64_t pauseUs = std::min(pauseAfterRound(busiest, end - receiver.lastRoundUs), deadlineUs > end ? deadlineUs - end : 0);
        receiver.lastRoundUs = end;
        if (pauseUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
    }
}

void drainScanSockets(ScanReceiver& receiver, ScanEngine& scan, const ScanSockets& set) {
    for (const ScanSocket& socket : set.sockets) readSocket(receiver, scan, set, socket, UINT64_MAX);
}
