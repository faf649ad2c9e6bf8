#pragma once
// The pcapng file --record writes while it records. It is valid at every moment a reader
// looks: blocks are collected in memory and written whole, the pending ones at least
// every kRecordingFlushUs; a write that fails part-way is cut back to the last whole block.
// A path that names a stream (standard output as "-", a pipe, /dev/fd/N) is written in
// place, each round's blocks at once, so that a reader at its far end sees them live.
// recording_file.cpp writes it with the platform's file calls (capture_files.h).
#include <cstdint>
#include <string>
#include <vector>

#include "../../core/captured_frame.h"

inline constexpr uint64_t kRecordingFlushUs = 500000;
// Pending bytes that are written at once, without waiting for the flush time.
inline constexpr std::size_t kRecordingFlushBytes = 1 << 20;

struct RecordingFile {
    std::intptr_t descriptor = -1;  // a descriptor, a handle on Windows (capture_files.h)
    bool ownsDescriptor = true;  // false: a descriptor of this process, left open
    bool stream = false;         // not a regular file: written at once, never cut back
    uint64_t startOffset = 0;    // where the recording begins in a regular file
    std::vector<uint8_t> pending;  // whole blocks not yet written
    uint64_t writtenBytes = 0;
    uint64_t lastFlushUs = 0;      // monotonic
    uint64_t datagrams = 0;
    bool failed = false;           // a write failed, or a stream's reader left; nothing more is written
};

// Creates or replaces path, or opens the stream it names ("-": standard output), and writes
// the section header and the raw IPv4 interface.
bool openRecordingFile(RecordingFile& file, const std::string& path, uint64_t nowUs);
// Adds the datagram, stamped at microseconds since 1970 (UTC); writes when a flush is due.
void appendRecordedDatagram(RecordingFile& file, const UdpDatagramView& datagram, uint64_t stampUs, uint64_t nowUs);
// Writes what is pending when kRecordingFlushUs has passed since the last write, and into a
// stream whenever anything is pending.
void flushRecordingFileIfDue(RecordingFile& file, uint64_t nowUs);
// Writes what is pending and closes. False when any write failed.
bool closeRecordingFile(RecordingFile& file);
