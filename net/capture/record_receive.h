#pragma once
// The read loop of --record: every socket of the scan set, written to the recording file
// in arrival order, until the deadline, a stop request or the file's failure.
#include <atomic>
#include <cstdint>

#include "../scan/scan_sockets.h"
#include "recording_file.h"

// Reads until deadlineUs (monotonicMicroseconds; 0: no deadline), until stop is set or
// until the file fails (a write failed, or the reader of its stream left), waiting in the
// system while nothing arrives. Each datagram a socket keeps goes to file
// with its addresses and ports and its arrival time: the monotonic arrival plus
// wallMinusMonotonicUs, so that gaps between datagrams keep the monotonic clock's accuracy.
// The sockets must have been opened by openScanSockets.
void recordDatagrams(const ScanSockets& set, RecordingFile& file, uint64_t deadlineUs, const std::atomic<bool>& stop,
                     int64_t wallMinusMonotonicUs);
