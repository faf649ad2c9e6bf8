#include "receive_monitor.h"

#include <cstring>

#include "datagram_feed.h"
#include "dmx_control_ids.h"
#include "level_text.h"
#include "receive_endpoint.h"

namespace {

// What the source status needs of the last accepted packet of a poll.
struct AcceptedPacket {
    Ipv4Address sender;
    DmxPacketInfo info;
};

void takeLevels(DmxNetworkEngine& engine, const uint8_t* packet, const DmxPacketInfo& info) {
    engine.receivedLevels.fill(0);
    std::memcpy(engine.receivedLevels.data(), packet + info.dataOffset, static_cast<std::size_t>(info.slotCount));
}

struct PollIntake {
    AcceptedPacket last;
    bool accepted = false;
};

// Validates one datagram that is in scope: counted as rejected or accepted, or dropped
// without a trace when it carries another universe.
void takeDatagram(DmxNetworkEngine& engine, const DmxUniverseState& state, const uint8_t* packet, long length,
                  Ipv4Address sender, uint64_t now, PollIntake& intake) {
    DmxPacketInfo info;
    if (!parseDmxPacket(packet, static_cast<std::size_t>(length), state.protocol, info)) {
        ++engine.rejectedCount;
        return;
    }
    if (info.universe != state.universe) return;
    engine.lastReceiveTime = now;
    ++engine.rxCount;
    takeLevels(engine, packet, info);
    intake.last = {sender, info};
    intake.accepted = true;
}

}  // namespace

std::string composeSourceStatus(Ipv4Address sender, const DmxPacketInfo& info, DmxProtocol protocol,
                                uint8_t sacnOptions, int32_t syncUniverse) {
    std::string text = formatIpv4(sender) + " | U " + std::to_string(info.universe) + " | Seq " + std::to_string(info.sequence);
    if (info.priority >= 0) text += " | Priority " + std::to_string(info.priority);
    if (protocol != DmxProtocol::Sacn) return text;
    if ((sacnOptions & kSacnOptionStreamTerminated) != 0) text += " | Stream ended";
    if ((sacnOptions & kSacnOptionPreview) != 0) text += " | Preview";
    if (syncUniverse != 0) text += " | Sync-Universe " + std::to_string(syncUniverse);
    return text;
}

namespace {

// Takes datagrams from one source until it runs dry or the poll's budget is spent;
// returns how many were taken.
int drainSource(DmxNetworkEngine& engine, const DmxUniverseState& state, const ReceiveSource& source, int budget,
                uint64_t now, PollIntake& intake) {
    uint8_t packet[kReceiveBufferSize];
    int taken = 0;
    for (; taken < budget; ++taken) {
        bool take = true;
        Ipv4Address sender;
        const long length = receiveFromSource(source, packet, sizeof packet, sender, take);
        if (length < 0) break;
        if (take) takeDatagram(engine, state, packet, length, sender, now, intake);
    }
    return taken;
}

// Takes what the feed holds for this protocol's port, within the poll's budget.
void drainFeed(DmxNetworkEngine& engine, const DmxUniverseState& state, int budget, uint64_t now, PollIntake& intake) {
    const DmxProtocol port = state.protocol;
    for (int taken = 0; taken < budget; ++taken) {
        const FedDatagram* d = datagramAt(*engine.feed, engine.feedNext, engine.feedLost);
        if (!d) return;
        ++engine.feedNext;
        if (d->port == port) takeDatagram(engine, state, d->bytes.data(), static_cast<long>(d->length), d->sender, now, intake);
    }
}

}  // namespace

void pollReceive(DmxNetworkEngine& engine, DmxUniverseState& state, const DmxView& view, uint64_t now) {
    if (engine.receiveEndpoint == kInvalidSocket) return;
    if (engine.lastArrivalTime == 0) engine.lastArrivalTime = now;
    PollIntake intake;
    ReceiveSources sources;
    const std::size_t count = listReceiveSources(engine, sources);
    int budget = kMaxDatagramsPerPoll;
    for (std::size_t i = 0; i < count; ++i) budget -= drainSource(engine, state, sources[i], budget, now, intake);
    if (engine.feed) drainFeed(engine, state, budget, now, intake);
    // Anything read, valid or not, shows that datagrams get through to the program.
    if (budget < kMaxDatagramsPerPoll) engine.lastArrivalTime = now;
    // The text and the column are made once per poll, from the last accepted packet: the
    // window cannot show anything in between, and a flood would otherwise cost 512 cell
    // writes per datagram.
    if (!intake.accepted) return;
    const AcceptedPacket& last = intake.last;
    engine.sourceStatus = composeSourceStatus(last.sender, last.info, state.protocol, last.info.options, last.info.syncUniverse);
    if (!engine.receivedColumnShown) {
        refreshReceivedColumn(engine, view);
        return;
    }
    // Only the cells whose level changed: a steady stream then costs no cell writes at all.
    for (std::size_t slot = 0; slot < engine.receivedLevels.size(); ++slot) {
        const uint8_t level = engine.receivedLevels[slot];
        if (level == engine.shownReceivedLevels[slot]) continue;
        engine.shownReceivedLevels[slot] = level;
        view.setCellText(static_cast<int>(slot), kDmxReceivedColumn, levelText(level));
    }
}

void refreshReceivedColumn(DmxReceiveRecord& received, const DmxView& view) {
    for (int row = 0; row < kDmxSlotCount; ++row) {
        view.setCellText(row, kDmxReceivedColumn, levelText(received.receivedLevels[static_cast<std::size_t>(row)]));
    }
    received.shownReceivedLevels = received.receivedLevels;
    received.receivedColumnShown = true;
}
