#pragma once
// Capture files as Wireshark, tshark, tcpdump and --record write them, pcap and pcapng,
// read through libpcap (capture_reader.cpp). A file that does not hold together is
// refused as a whole: the caller learns it before it acts on any record.
#include <cstdio>
#include <functional>
#include <string>

#include "../../core/replay_plan.h"

enum class CaptureReadResult : uint8_t {
    Complete,    // every record read, or the visitor stopped
    Unreadable,  // no regular file there, or not a capture file at all
    Malformed,   // a capture file whose blocks, lengths or time stamps do not hold together
};

// Gets every record in file order; returns false to stop reading.
using CaptureRecordVisitor = std::function<bool(const CaptureRecordView&)>;

// The largest record accepted: libpcap's own limit for any link type.
inline constexpr uint32_t kLargestCaptureRecord = 262144;

// problem gets a short description of what was refused, for the user.
CaptureReadResult readCaptureFile(const std::string& path, const CaptureRecordVisitor& visit, std::string& problem);
// The same over an open stream, which it closes.
CaptureReadResult readCaptureStream(std::FILE* stream, const CaptureRecordVisitor& visit, std::string& problem);
