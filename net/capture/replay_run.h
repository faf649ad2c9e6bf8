#pragma once
// --replay: the file checked whole, then its DMX datagrams sent again with their recorded
// gaps, each send time waited for with an absolute wait (replay_wait.h).
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "../../core/replay_plan.h"
#include "../socket/socket_layer.h"
#include "capture_reader.h"

// Reads the whole file into plan (counts and time line) without sending anything.
CaptureReadResult checkReplayFile(const std::string& path, ReplayPlan& plan, std::string& problem);

struct ReplaySettings {
    std::string path;
    Ipv4Address local;                   // the sending socket's address; 0.0.0.0: the system's choice
    std::optional<Ipv4Address> target;   // every datagram to this address instead of its recorded one
    uint32_t speedPerMille = 1000;
    bool loop = false;
};

enum class ReplayOutcome : uint8_t { AllSent, SocketNotCreated, BindFailed, NotSentWhole, FileChanged };

struct ReplayProgress {
    uint64_t sent = 0;      // datagrams sent whole
    uint64_t notWhole = 0;  // datagrams the system did not take whole
    uint64_t loops = 0;     // passes begun
    uint64_t lateUs = 0;    // the latest any datagram went after its send time
};

// Sends the datagrams of a checked file. Runs once, or with settings.loop until stop is
// set (once when the file has no datagram to send); stop also ends a single pass early.
ReplayOutcome runReplay(const ReplaySettings& settings, const ReplayPlan& plan, const std::atomic<bool>& stop,
                        ReplayProgress& progress);
