#include <algorithm>

#include "../../core/clock.h"
#include "replay_run.h"
#include "replay_wait.h"

CaptureReadResult checkReplayFile(const std::string& path, ReplayPlan& plan, std::string& problem) {
    plan = ReplayPlan();
    bool absurd = false;
    const CaptureReadResult result = readCaptureFile(
        path,
        [&](const CaptureRecordView& record) {
            UdpDatagramView datagram;
            absurd = takeCaptureRecord(plan, record, datagram) == RecordUse::AbsurdTime;
            if (absurd) problem = "record " + std::to_string(plan.counts.records + 1) + ": absurd time stamp";
            return !absurd;
        },
        problem);
    return absurd ? CaptureReadResult::Malformed : result;
}

ReplayOutcome runReplay(const ReplaySettings& settings, const ReplayPlan& plan, const std::atomic<bool>& stop,
                        ReplayProgress& progress) {
    const SocketHandle socket = openUdpSocket();
    if (socket == kInvalidSocket) return ReplayOutcome::SocketNotCreated;
    setBroadcast(socket, true);
    if (!bindSocket(socket, settings.local, 0)) {
        closeSocket(socket);
        return ReplayOutcome::BindFailed;
    }
    uint64_t startUs = 0;  // set at the first datagram, once the file is open and read
    bool changed = false;
    // A file with nothing to send is read once: looping over it would only spin.
    const bool looping = settings.loop && plan.counts.dmx > 0;
    for (uint64_t loop = 0; !stop && !changed && (loop == 0 || looping); ++loop) {
        ++progress.loops;
        ReplayPlan pass;
        std::string problem;
        const CaptureReadResult read = readCaptureFile(
            settings.path,
            [&](const CaptureRecordView& record) {
                UdpDatagramView datagram;
                const RecordUse use = takeCaptureRecord(pass, record, datagram);
                changed = use == RecordUse::AbsurdTime || pass.counts.dmx > plan.counts.dmx;
                if (use != RecordUse::Send || changed) return !changed;
                if (startUs == 0) startUs = monotonicMicroseconds();
                const uint64_t deadline = replayDeadlineUs(plan, settings.speedPerMille, startUs, loop, recordStampNs(record));
                sleepUntilMonotonicUs(deadline, stop);
                if (stop) return false;
                const uint64_t now = monotonicMicroseconds();
                if (now > deadline) progress.lateUs = std::max(progress.lateUs, now - deadline);
                const Ipv4Address to = settings.target ? *settings.target : datagram.destination;
                const long n = sendDatagram(socket, datagram.payload.data(), datagram.payload.size(), to, datagram.destinationPort);
                ++(n == static_cast<long>(datagram.payload.size()) ? progress.sent : progress.notWhole);
                return true;
            },
            problem);
        changed = changed || read != CaptureReadResult::Complete;
    }
    closeSocket(socket);
    if (changed) return ReplayOutcome::FileChanged;
    return progress.notWhole > 0 ? ReplayOutcome::NotSentWhole : ReplayOutcome::AllSent;
}
