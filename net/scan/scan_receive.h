#pragma once
// The scan's read loop: waits on every socket of the scan at once and reads the ones that
// hold datagrams in batches, until a deadline, a wake handle or a newly announced universe.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "scan_engine.h"
#include "scan_sockets.h"

constexpr int kScanBatch = 64;

// The loop's buffers and wait set, made once: reading never allocates.
struct ScanReceiver {
    std::vector<uint8_t> storage;
    std::array<ReceivedDatagram, kScanBatch> batch{};
    SocketWaitSet waitSet;
    std::size_t watched = 0;                 // sockets of the set in waitSet, from the first
    SocketHandle wake = kInvalidSocket;      // readable: stop waiting (a stop signal)
    std::span<const uint8_t> ownPoll;        // this scan's ArtPoll: its copy coming back is not counted
    uint64_t lastRoundUs = 0;
    // Called with every datagram the engine took: another receiver in the same process
    // sees the same datagrams, unicast included.
    std::function<void(DmxProtocol port, const ReceivedDatagram& datagram)> observer;
};

// Makes the buffers and waits on every socket of set, and on wake when it is valid.
bool openScanReceiver(ScanReceiver& receiver, const ScanSockets& set, SocketHandle wake);
// Waits on sockets added to set since (by joinScanUniverse).
bool watchNewScanSockets(ScanReceiver& receiver, const ScanSockets& set);
void closeScanReceiver(ScanReceiver& receiver);

enum class ScanWakeReason { Deadline, Woken, Announced };

// Hands every datagram the sockets keep to the engine until deadlineUs (monotonicMicroseconds),
// until wake is readable, or until universe discovery announces a universe not heard of
// before, whichever comes first. Datagrams stamped at or after cutoffUs are left out.
// Blocks while nothing arrives; under load it pauses between reads so that each read
// carries several datagrams. maxWaitMs bounds each wait (where no wake handle exists).
ScanWakeReason receiveScan(ScanReceiver& receiver, ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs,
                           uint64_t cutoffUs, int maxWaitMs = -1);

// Reads what is already waiting on every socket of set, without waiting: for a caller
// that has its own loop (the Network window's timer).
void drainScanSockets(ScanReceiver& receiver, ScanEngine& scan, const ScanSockets& set);
