#include "scan_receive.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "../core/clock.h"

namespace {

constexpr int kBatch = 64;
// Larger than any datagram either protocol sends, so a cut datagram is one that is invalid anyway.
constexpr std::size_t kDatagramCapacity = 2048;
// While nothing is waiting: a datagram queue holds far more than a millisecond of traffic.
constexpr uint32_t kIdleSleepMs = 1;

bool isFromThisHost(const ScanSockets& set, Ipv4Address sender) {
    if (sender.bytes[0] == 127) return true;
    return std::find(set.hostAddresses.begin(), set.hostAddresses.end(), sender) != set.hostAddresses.end();
}

bool isOwnPoll(const ScanSockets& set, const ScanSocket& socket, const ReceivedDatagram& d, std::span<const uint8_t> ownPoll) {
    return !ownPoll.empty() && socket.port == DmxProtocol::ArtNet && d.length == ownPoll.size() &&
           std::memcmp(d.buffer, ownPoll.data(), ownPoll.size()) == 0 && isFromThisHost(set, d.sender);
}

}  // namespace

void receiveScan(ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs, std::span<const uint8_t> ownPoll) {
    std::vector<uint8_t> storage(kBatch * kDatagramCapacity);
    ReceivedDatagram batch[kBatch];
    for (int i = 0; i < kBatch; ++i) {
        batch[i].buffer = storage.data() + static_cast<std::size_t>(i) * kDatagramCapacity;
        batch[i].capacity = kDatagramCapacity;
    }
    while (monotonicMicroseconds() < deadlineUs) {
        int taken = 0;
        for (const ScanSocket& socket : set.sockets) {
            const int n = receiveDatagrams(socket.handle, batch, kBatch);
            for (int i = 0; i < n; ++i) {
                const ReceivedDatagram& d = batch[i];
                if (d.arrivalUs >= deadlineUs) continue;
                if (!acceptsScanDatagram(socket.role, set.scopeInterface, d.destination)) continue;
                if (isOwnPoll(set, socket, d, ownPoll)) continue;
                takeScanDatagram(scan, socket.port, d.buffer, d.length, d.sender, d.arrivalUs);
            }
            taken += n > 0 ? n : 0;
        }
        if (taken == 0) sleepMs(kIdleSleepMs);
    }
}
