#include "source_sender.h"

#include <algorithm>

#include "../../core/clock.h"
#include "../../core/exit_codes.h"
#include "frame_wait.h"

namespace {

constexpr int kTerminationPackets = 3;
// The first deadline lies this far ahead, so that the first frame is waited for like every other.
constexpr uint64_t kFirstFrameLeadUs = 1000;

bool isAnyAddress(Ipv4Address address) { return address == Ipv4Address{}; }

Ipv4Address broadcastOf(Ipv4Address local) {
    if (isAnyAddress(local)) return Ipv4Address{{255, 255, 255, 255}};
    for (const LocalInterfaceAddress& item : listInterfaceAddresses()) {
        if (item.address == local && !isAnyAddress(item.broadcast)) return item.broadcast;
    }
    return Ipv4Address{{255, 255, 255, 255}};
}

OutgoingDatagram outgoingOf(const SourceDatagram& d) { return OutgoingDatagram{d.data, d.length, d.to, d.port}; }

// Sends a range of the prepared datagrams and counts them as kind.
void sendRange(SourceSender& sender, DatagramRange range, uint64_t& kind) {
    if (range.count == 0) return;
    const std::size_t whole = sendDatagrams(sender.socket, sender.outgoing.data() + range.first, range.count);
    kind += whole;
    sender.counts.notSent += range.count - whole;
}

}  // namespace

int openSourceSender(SourceSender& sender, SourceSettings& settings) {
    sender.socket = openUdpSocket();
    if (sender.socket == kInvalidSocket) return kSocketNotCreated;
    if (!bindSocket(sender.socket, settings.local, 0)) return kBindFailed;
    setBroadcast(sender.socket, true);
    if (!isAnyAddress(settings.local)) setMulticastInterface(sender.socket, settings.local);
    if (settings.protocol == DmxProtocol::ArtNet && !settings.target) settings.target = broadcastOf(settings.local);
    buildSourceFrames(sender.frames, settings);
    sender.outgoing.clear();
    for (const SourceDatagram& d : sender.frames.datagrams) sender.outgoing.push_back(outgoingOf(d));
    sender.discovery.clear();
    for (const SourceDatagram& d : sender.frames.discovery) sender.discovery.push_back(outgoingOf(d));
    return kSuccess;
}

void closeSourceSender(SourceSender& sender) {
    if (sender.socket != kInvalidSocket) closeSocket(sender.socket);
    sender.socket = kInvalidSocket;
}

void sendSourceFrame(SourceSender& sender, uint64_t timeMs, bool withPriorities) {
    const FrameRanges ranges = prepareSourceFrame(sender.frames, timeMs, withPriorities);
    sendRange(sender, ranges.priorities, sender.counts.perAddressPriorities);
    sendRange(sender, ranges.levels, sender.counts.levels);
    sendRange(sender, ranges.sync, sender.counts.sync);
}

void sendSourceDiscovery(SourceSender& sender) {
    const std::size_t whole = sendDatagrams(sender.socket, sender.discovery.data(), sender.discovery.size());
    sender.counts.discovery += whole;
    sender.counts.notSent += sender.discovery.size() - whole;
}

void sendSourceTermination(SourceSender& sender) {
    if (sender.frames.protocol != DmxProtocol::Sacn) return;
    for (int i = 0; i < kTerminationPackets; ++i) sendRange(sender, prepareTermination(sender.frames), sender.counts.terminated);
}

SourceRun runSource(SourceSender& sender, const SourceSettings& settings, const std::atomic<bool>& stop) {
    SourceRun run;
    FrameSchedule& schedule = run.schedule;
    schedule.rate = settings.rate;
    schedule.startUs = monotonicMicroseconds() + kFirstFrameLeadUs;
    const uint64_t endUs = settings.durationMs == 0 ? UINT64_MAX : schedule.startUs + uint64_t{settings.durationMs} * 1000;
    uint64_t prioritiesDue = schedule.startUs;
    uint64_t discoveryDue = schedule.startUs;
    while (!stop) {
        const uint64_t deadline = nextFrameDeadlineUs(schedule);
        if (deadline >= endUs) {
            waitUntilMicroseconds(endUs, stop);  // the stream goes on until its end, then terminates
            break;
        }
        if (monotonicMicroseconds() < deadline) waitUntilMicroseconds(deadline, stop);
        if (stop) break;
        const uint64_t sentUs = monotonicMicroseconds();
        sendSourceFrame(sender, (deadline - schedule.startUs) / 1000, takeIfDue(prioritiesDue, kPriorityPeriodUs, deadline));
        if (settings.discovery && !sender.discovery.empty() && takeIfDue(discoveryDue, kDiscoveryPeriodUs, deadline)) {
            sendSourceDiscovery(sender);
        }
        recordFrameSent(schedule, sentUs);
    }
    run.stopped = stop;
    run.elapsedUs = std::min(std::max(monotonicMicroseconds(), schedule.startUs), endUs) - schedule.startUs;
    sendSourceTermination(sender);
    return run;
}
