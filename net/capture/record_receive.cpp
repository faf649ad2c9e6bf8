#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "../../core/clock.h"
#include "../../core/scan_codec.h"
#include "capture_files.h"
#include "record_receive.h"

namespace {

constexpr int kBatch = 64;
// Any UDP datagram over IPv4 fits whole. The storage is taken once, untouched until used.
constexpr std::size_t kDatagramCapacity = kLargestUdpPayload;
constexpr int kLongestWaitMs = 100;               // how late a stop request may be seen
// After a round that found datagrams, a short pause lets the queues gather a few more, so
// that one read takes several; a full batch skips it. The 4 MiB queues hold far more.
constexpr auto kPauseBetweenRounds = std::chrono::microseconds(1000);

struct Arrival {
    uint64_t arrivalUs;
    std::size_t offset;
    std::size_t length;
    UdpDatagramView addresses;  // payload set when written
};

struct RoundBuffers {
    std::unique_ptr<uint8_t[]> storage =
        std::make_unique_for_overwrite<uint8_t[]>(static_cast<std::size_t>(kBatch) * kDatagramCapacity);
    ReceivedDatagram batch[kBatch];
    std::vector<uint8_t> bytes;
    std::vector<Arrival> arrivals;
    RoundBuffers() {
        for (int i = 0; i < kBatch; ++i) {
            batch[i].buffer = storage.get() + static_cast<std::size_t>(i) * kDatagramCapacity;
            batch[i].capacity = kDatagramCapacity;
        }
    }
};

// Reads one socket empty into the round; returns the largest batch read.
int readSocket(const ScanSockets& set, const ScanSocket& socket, RoundBuffers& round) {
    int largest = 0;
    for (int n = kBatch; n == kBatch;) {
        n = receiveDatagrams(socket.handle, round.batch, kBatch);
        largest = std::max(largest, n);
        for (int i = 0; i < n; ++i) {
            const ReceivedDatagram& d = round.batch[i];
            if (!acceptsScanDatagram(socket.role, set.scopeInterface, d.destination)) continue;
            Arrival arrival{d.arrivalUs, round.bytes.size(), d.length, {}};
            arrival.addresses.source = d.sender;
            arrival.addresses.sourcePort = d.senderPort;
            arrival.addresses.destination = d.destination.address;
            arrival.addresses.destinationPort = protocolPort(socket.port);
            round.bytes.insert(round.bytes.end(), d.buffer, d.buffer + d.length);
            round.arrivals.push_back(arrival);
        }
    }
    return largest;
}

// Several sockets share the ports: a round is sorted so the file keeps arrival order.
void writeRound(RoundBuffers& round, RecordingFile& file, int64_t wallMinusMonotonicUs, uint64_t nowUs) {
    std::stable_sort(round.arrivals.begin(), round.arrivals.end(),
                     [](const Arrival& a, const Arrival& b) { return a.arrivalUs < b.arrivalUs; });
    for (Arrival& arrival : round.arrivals) {
        arrival.addresses.payload = std::span<const uint8_t>(round.bytes.data() + arrival.offset, arrival.length);
        const uint64_t stampUs = static_cast<uint64_t>(static_cast<int64_t>(arrival.arrivalUs) + wallMinusMonotonicUs);
        appendRecordedDatagram(file, arrival.addresses, stampUs, nowUs);
    }
    round.arrivals.clear();
    round.bytes.clear();
}

int waitMs(uint64_t deadlineUs, uint64_t nowUs) {
    if (deadlineUs == 0) return kLongestWaitMs;
    const uint64_t leftMs = deadlineUs > nowUs ? (deadlineUs - nowUs + 999) / 1000 : 0;
    return static_cast<int>(std::min<uint64_t>(leftMs, kLongestWaitMs));
}

}  // namespace

void recordDatagrams(const ScanSockets& set, RecordingFile& file, uint64_t deadlineUs, const std::atomic<bool>& stop,
                     int64_t wallMinusMonotonicUs) {
    std::vector<SocketHandle> sockets;
    for (const ScanSocket& socket : set.sockets) sockets.push_back(socket.handle);
    std::vector<int> ready;
    RoundBuffers round;
    uint64_t now = monotonicMicroseconds();
    while (!stop && !file.failed && (deadlineUs == 0 || now < deadlineUs)) {
        waitForRecordingInput(sockets, file.stream ? file.descriptor : -1, waitMs(deadlineUs, now), ready, file.failed);
        int largest = 0;
        for (int i : ready) largest = std::max(largest, readSocket(set, set.sockets[static_cast<std::size_t>(i)], round));
        now = monotonicMicroseconds();
        if (deadlineUs != 0) {  // what arrived after the deadline belongs to no recording
            std::erase_if(round.arrivals, [&](const Arrival& a) { return a.arrivalUs >= deadlineUs; });
        }
        writeRound(round, file, wallMinusMonotonicUs, now);
        flushRecordingFileIfDue(file, now);
        if (largest > 0 && largest < kBatch) std::this_thread::sleep_for(kPauseBetweenRounds);
    }
}
