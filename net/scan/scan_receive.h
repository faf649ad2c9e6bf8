#pragma once
// The scan's read loop: every socket of the scan, in batches, until the deadline.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "scan_engine.h"
#include "scan_sockets.h"

// Reads every socket of set until deadlineUs (monotonicMicroseconds) and hands the
// datagrams each socket keeps to the engine. Datagrams stamped at or after the deadline
// are left out. ownPoll, when not empty, is the ArtPoll this scan sent: the host's own
// copy of it coming back is not counted.
void receiveScan(ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs, std::span<const uint8_t> ownPoll);

// Room for the batch reads of drainScanSockets, made once by the caller.
struct ScanReadBuffers {
    std::vector<uint8_t> storage;
    std::vector<ReceivedDatagram> batch;
};
void prepareScanReadBuffers(ScanReadBuffers& buffers);

// Called with every datagram a scan socket keeps, after the engine took it: another
// receiver in the same process sees the same datagrams, unicast included.
using ScanDatagramObserver = std::function<void(DmxProtocol port, const ReceivedDatagram& datagram)>;

// Takes what is already waiting on every socket of set, without waiting for more: at most
// maxBatches reads per socket. Returns the number of datagrams the engine took.
std::size_t drainScanSockets(ScanEngine& scan, const ScanSockets& set, ScanReadBuffers& buffers,
                             std::span<const uint8_t> ownPoll, int maxBatches, const ScanDatagramObserver& observer);
