#pragma once
// The socket side of --source: one UDP socket bound to --local, the prepared datagrams of
// core/source_frames.h, and what was sent of each kind.
#include <atomic>
#include <cstdint>
#include <vector>

#include "../../core/frame_schedule.h"
#include "../../core/source_frames.h"
#include "../socket/socket_layer.h"

// Datagrams sent whole, by kind, and those the system did not take whole.
struct SourceCounts {
    uint64_t levels = 0;
    uint64_t perAddressPriorities = 0;
    uint64_t sync = 0;
    uint64_t discovery = 0;
    uint64_t terminated = 0;
    uint64_t notSent = 0;

    uint64_t sent() const { return levels + perAddressPriorities + sync + discovery + terminated; }
};

struct SourceSender {
    SourceFrames frames;
    std::vector<OutgoingDatagram> outgoing;  // beside frames.datagrams
    std::vector<OutgoingDatagram> discovery;
    SocketHandle socket = kInvalidSocket;
    SourceCounts counts;
};

// Opens and binds the socket on settings.local (any port), gives Art-Net its target when
// none was set (the directed broadcast of --local's interface; 255.255.255.255 for 0.0.0.0
// or an interface without one) and builds every datagram. An exit code.
int openSourceSender(SourceSender& sender, SourceSettings& settings);
void closeSourceSender(SourceSender& sender);

// One frame: the per-address priorities when due, the levels at timeMs, the sync packet.
void sendSourceFrame(SourceSender& sender, uint64_t timeMs, bool withPriorities);
void sendSourceDiscovery(SourceSender& sender);
// sACN: the level packets three times with the stream-terminated option. Art-Net has none.
void sendSourceTermination(SourceSender& sender);

// How a run went, for the summary.
struct SourceRun {
    FrameSchedule schedule;
    uint64_t elapsedUs = 0;
    bool stopped = false;  // by a stop request rather than the duration
};

inline constexpr uint64_t kPriorityPeriodUs = 1000000;   // per-address priorities at least once a second
inline constexpr uint64_t kDiscoveryPeriodUs = 10000000;  // E1.31 universe discovery interval

// Sends frames at settings.rate from now until durationMs has passed (0: until stop), then
// the termination. Nothing is allocated per frame.
SourceRun runSource(SourceSender& sender, const SourceSettings& settings, const std::atomic<bool>& stop);
