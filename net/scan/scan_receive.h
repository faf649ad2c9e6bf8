#pragma once
// The scan's read loop: every socket of the scan, in batches, until the deadline.
#include <cstdint>
#include <span>

#include "scan_engine.h"
#include "scan_sockets.h"

// Reads every socket of set until deadlineUs (monotonicMicroseconds) and hands the
// datagrams each socket keeps to the engine. Datagrams stamped at or after the deadline
// are left out. ownPoll, when not empty, is the ArtPoll this scan sent: the host's own
// copy of it coming back is not counted.
void receiveScan(ScanEngine& scan, const ScanSockets& set, uint64_t deadlineUs, std::span<const uint8_t> ownPoll);
