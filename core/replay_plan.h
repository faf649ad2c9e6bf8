#pragma once
// What a replay sends and when. Every record of the file passes through takeCaptureRecord
// twice: once while the whole file is checked before anything is sent, counting what is
// skipped and rejecting absurd time stamps, and again while sending. A datagram's send time
// is its recorded offset from the first one, divided by the speed, after one start read from
// the monotonic clock: late sends never push the later ones back. Pure; no I/O.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "captured_frame.h"

// A record as the capture file reader hands it over.
struct CaptureRecordView {
    int64_t seconds = 0;      // since 1970, UTC
    int64_t nanoseconds = 0;  // 0 to 999,999,999
    std::optional<LinkLayer> link;  // empty: a link layer no DMX capture comes in
    std::span<const uint8_t> frame;
};

struct ReplayCounts {
    uint64_t records = 0;
    uint64_t dmx = 0;         // sACN to 5568 and Art-Net to 6454: what is sent
    uint64_t notIpv4 = 0;     // other link layers and network protocols
    uint64_t notUdp = 0;
    uint64_t fragments = 0;
    uint64_t cutShort = 0;
    uint64_t damaged = 0;
    uint64_t otherPorts = 0;  // UDP to other destination ports
    uint64_t notDmx = 0;      // to a DMX port without that protocol's identifier
};

struct ReplayPlan {
    ReplayCounts counts;
    bool checkedAny = false;
    int64_t previousNs = 0;  // the record before, sent or not
    int64_t firstNs = 0;     // the first datagram sent: the replay's time zero
    int64_t latestNs = 0;    // the latest datagram sent so far
};

enum class RecordUse : uint8_t { Send, Skip, AbsurdTime };

// Counts the record; Send fills datagram. A time stamp outside 1970 to 2200, more than a
// second before the one before it or more than a day after it is AbsurdTime: no real
// capture has it, and it would stall the replay.
RecordUse takeCaptureRecord(ReplayPlan& plan, const CaptureRecordView& record, UdpDatagramView& datagram);

// The time stamp in nanoseconds of a record takeCaptureRecord did not find absurd.
int64_t recordStampNs(const CaptureRecordView& record);

// --speed: a decimal number such as 2 or 0.5, in thousandths, from 0.01 (10) to 100 (100000).
inline constexpr uint32_t kMinSpeedPerMille = 10;
inline constexpr uint32_t kMaxSpeedPerMille = 100000;
std::optional<uint32_t> parseReplaySpeed(std::string_view text);

// One pass through the file in microseconds at the speed: from the first datagram sent to
// the latest, and one mean gap more before the first datagram comes again (a second for a
// file of one datagram; never less than a millisecond).
uint64_t replayLoopUs(const ReplayPlan& plan, uint32_t speedPerMille);

// When the datagram stamped stampNs is sent in pass `loop` (from 0) of a replay started at startUs.
uint64_t replayDeadlineUs(const ReplayPlan& plan, uint32_t speedPerMille, uint64_t startUs, uint64_t loop, int64_t stampNs);
