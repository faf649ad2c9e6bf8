#include "scan_events.h"

#include <algorithm>
#include <cstring>

#include "universe_merge.h"

namespace {

ScanEvent& sourceEvent(ScanEngine& scan, ScanEventKind kind, const SacnStreamRecord& source, uint64_t atUs) {
    ScanEvent& event = recordScanEvent(scan.events, kind, atUs);
    event.universe = source.universe;
    event.cid = source.cid;
    event.sender = source.sender;
    std::memcpy(event.name.data(), source.sourceName.data(), event.name.size());
    return event;
}

ScanEvent& senderEvent(ScanEngine& scan, ScanEventKind kind, const ArtNetStreamRecord& sender, uint64_t atUs) {
    ScanEvent& event = recordScanEvent(scan.events, kind, atUs);
    event.subject = ScanEventSubject::ArtNetSender;
    event.universe = sender.portAddress;
    event.sender = sender.sender;
    return event;
}

ScanEvent& nodeEvent(ScanEngine& scan, ScanEventKind kind, const ArtNetNodeRecord& node, uint64_t atUs) {
    ScanEvent& event = recordScanEvent(scan.events, kind, atUs);
    event.subject = ScanEventSubject::ArtNetNode;
    event.sender = Ipv4Address{{node.ip[0], node.ip[1], node.ip[2], node.ip[3]}};
    std::memcpy(event.name.data(), node.shortName.data(), node.shortName.size());
    event.detail[0] = node.bindIndex;
    return event;
}

uint32_t addressWord(Ipv4Address a) {
    return uint32_t{a.bytes[0]} << 24 | uint32_t{a.bytes[1]} << 16 | uint32_t{a.bytes[2]} << 8 | a.bytes[3];
}

bool isMulticast(Ipv4Address a) { return a.bytes[0] >= 224 && a.bytes[0] <= 239; }

Ipv4Address groupOf(uint16_t universe) {
    return Ipv4Address{{239, 255, static_cast<uint8_t>(universe >> 8), static_cast<uint8_t>(universe & 0xFF)}};
}

bool silentFor(uint64_t lastUs, uint64_t nowUs, uint64_t spanUs) { return nowUs >= lastUs && nowUs - lastUs >= spanUs; }

// Counts not reported yet go out when a second has passed since the last report; returns
// whether they did, so the caller can fill in who.
bool sequenceReportDue(SequenceReport& report, const SequenceCheck& check, uint64_t nowUs, uint32_t& outOfOrder, uint32_t& skipped) {
    if (check.outOfOrder == report.outOfOrder && check.skipped == report.skipped) return false;
    if (report.made && !silentFor(report.atUs, nowUs, kSequenceReportPeriodUs)) return false;
    outOfOrder = static_cast<uint32_t>(check.outOfOrder - report.outOfOrder);
    skipped = static_cast<uint32_t>(check.skipped - report.skipped);
    report = {true, nowUs, check.outOfOrder, check.skipped};
    return true;
}

void noteSourceSequence(ScanEngine& scan, SacnStreamRecord& stream, uint64_t nowUs) {
    uint32_t outOfOrder = 0, skipped = 0;
    if (!sequenceReportDue(stream.events.sequence, stream.sequence, nowUs, outOfOrder, skipped)) return;
    ScanEvent& event = sourceEvent(scan, ScanEventKind::SequenceErrors, stream, nowUs);
    event.detail = {outOfOrder, skipped, 0};
}

void noteSenderSequence(ScanEngine& scan, ArtNetStreamRecord& stream, uint64_t nowUs) {
    uint32_t outOfOrder = 0, skipped = 0;
    if (!sequenceReportDue(stream.sequenceReport, stream.sequence, nowUs, outOfOrder, skipped)) return;
    ScanEvent& event = senderEvent(scan, ScanEventKind::SequenceErrors, stream, nowUs);
    event.detail = {outOfOrder, skipped, 0};
}

// Level data: lost (when no expiry saw it yet), returned, terminated, priority changed.
void noteLevels(ScanEngine& scan, SacnStreamRecord& stream, const SacnStreamBefore& before, uint64_t arrivalUs) {
    SourceEventState& state = stream.events;
    const uint64_t priority = stream.priority;
    if (state.levelsSeen && priority != state.levelPriority) {
        sourceEvent(scan, ScanEventKind::PriorityChanged, stream, arrivalUs).detail = {state.levelPriority, stream.priority, 0};
    }
    state.levelPriority = stream.priority;
    state.levelsSeen = true;
    if (before.levelPackets == 0) return;
    if (!before.endedTerminated && !state.lossReported && silentFor(before.lastLevelUs, arrivalUs, kSacnSourceLossUs)) {
        sourceEvent(scan, ScanEventKind::SourceLost, stream, before.lastLevelUs + kSacnSourceLossUs);
        state.lossReported = true;
    }
    if (stream.endedTerminated) {
        if (!before.endedTerminated) sourceEvent(scan, ScanEventKind::SourceTerminated, stream, arrivalUs);
        state.lossReported = false;
    } else if (state.lossReported || before.endedTerminated) {
        const uint64_t silentMs = arrivalUs > before.lastLevelUs ? (arrivalUs - before.lastLevelUs) / 1000 : 0;
        sourceEvent(scan, ScanEventKind::SourceReturned, stream, arrivalUs).detail[0] = static_cast<uint32_t>(silentMs);
        state.lossReported = false;
    }
}

void notePerAddressPriority(ScanEngine& scan, SacnStreamRecord& stream, const SacnStreamBefore& before, uint64_t arrivalUs) {
    SourceEventState& state = stream.events;
    if (state.perAddressPriorityOn && silentFor(before.lastPerAddressPriorityUs, arrivalUs, kSacnSourceLossUs)) {
        sourceEvent(scan, ScanEventKind::PerAddressPriorityStopped, stream, before.lastPerAddressPriorityUs + kSacnSourceLossUs);
        state.perAddressPriorityOn = false;
    }
    if (!state.perAddressPriorityOn) sourceEvent(scan, ScanEventKind::PerAddressPriorityStarted, stream, arrivalUs);
    state.perAddressPriorityOn = true;
}

void noteGroup(ScanEngine& scan, SacnStreamRecord& stream, Ipv4Address destination, uint64_t arrivalUs) {
    if (!isMulticast(destination)) return;
    if (destination == groupOf(stream.universe)) {
        stream.events.wrongGroup = Ipv4Address{};
        return;
    }
    if (destination == stream.events.wrongGroup) return;
    stream.events.wrongGroup = destination;
    sourceEvent(scan, ScanEventKind::WrongGroup, stream, arrivalUs).detail[0] = addressWord(destination);
}

void checkSource(ScanEngine& scan, SacnStreamRecord& s, uint64_t nowUs, bool dropping) {
    SourceEventState& state = s.events;
    if (s.timing.packets > 0 && !s.endedTerminated && !state.lossReported && silentFor(s.timing.lastUs, nowUs, kSacnSourceLossUs)) {
        sourceEvent(scan, ScanEventKind::SourceLost, s, s.timing.lastUs + kSacnSourceLossUs);
        state.lossReported = true;
    }
    if (state.perAddressPriorityOn && silentFor(s.lastPerAddressPriorityUs, nowUs, kSacnSourceLossUs)) {
        sourceEvent(scan, ScanEventKind::PerAddressPriorityStopped, s, s.lastPerAddressPriorityUs + kSacnSourceLossUs);
        state.perAddressPriorityOn = false;
    }
    noteSourceSequence(scan, s, nowUs);
    if (dropping && isDueForDrop(s.lastPacketUs, nowUs)) {
        sourceEvent(scan, ScanEventKind::SourceDropped, s, s.lastPacketUs + kScanRecordDropUs);
    }
}

// Each universe's sources, in table order, as the merge sees them.
void checkConflicts(ScanEngine& scan, uint64_t nowUs) {
    ScanEventConditions& c = scan.conditions;
    const auto& records = scan.sacn.records;
    c.order.resize(records.size());  // within the capacity startScan gave it
    for (std::size_t i = 0; i < records.size(); ++i) c.order[i] = static_cast<uint32_t>(i);
    std::sort(c.order.begin(), c.order.end(), [&](uint32_t a, uint32_t b) {
        return records[a].universe != records[b].universe ? records[a].universe < records[b].universe : a < b;
    });
    c.scratchUniverses.reset();
    std::array<const SacnStreamRecord*, 64> group{};  // a tie among more is still found among the first 64
    for (std::size_t at = 0, next = 0; at < c.order.size(); at = next) {
        const uint16_t universe = records[c.order[at]].universe;
        std::size_t count = 0;
        for (next = at; next < c.order.size() && records[c.order[next]].universe == universe; ++next) {
            if (count < group.size()) group[count++] = &records[c.order[next]];
        }
        c.scratchUniverses.set(universe);
        const PriorityTie tie = findPriorityTie(std::span(group.data(), count), nowUs);
        if (tie.sources >= 2 && !c.priorityConflict.test(universe)) {
            ScanEvent& event = sourceEvent(scan, ScanEventKind::PriorityConflict, *tie.first, nowUs);
            event.detail = {static_cast<uint32_t>(tie.sources), tie.priority, tie.perAddress ? static_cast<uint32_t>(tie.slot + 1) : 0};
            c.priorityConflict.set(universe);
        } else if (tie.sources < 2 && c.priorityConflict.test(universe)) {
            recordScanEvent(scan.events, ScanEventKind::PriorityConflictEnded, nowUs).universe = universe;
            c.priorityConflict.reset(universe);
        }
    }
    if (!c.priorityConflict.any()) return;
    for (std::size_t u = 1; u < c.priorityConflict.size(); ++u) {
        if (!c.priorityConflict.test(u) || c.scratchUniverses.test(u)) continue;
        recordScanEvent(scan.events, ScanEventKind::PriorityConflictEnded, nowUs).universe = static_cast<uint16_t>(u);
        c.priorityConflict.reset(u);
    }
}

// A sync universe is missing once a live source has named it for 2.5 s with no sync
// packet for it in that time; it returns with its next sync packet.
void checkSync(ScanEngine& scan, uint64_t nowUs) {
    ScanEventConditions& c = scan.conditions;
    c.scratchUniverses.reset();
    for (const SacnStreamRecord& s : scan.sacn.records) {
        const uint16_t sync = s.syncUniverse;
        if (sync == 0 || sync >= kSacnUniverseCount || sacnSourceState(s, nowUs) != SacnSourceState::Live) continue;
        c.scratchUniverses.set(sync);
        if (c.syncMissing.test(sync) || !silentFor(s.timing.firstUs, nowUs, kSacnSourceLossUs)) continue;
        if (isSyncArriving(scan, sync, nowUs)) continue;
        ScanEvent& event = sourceEvent(scan, ScanEventKind::SyncMissing, s, nowUs);
        event.universe = sync;
        event.detail[0] = s.universe;
        c.syncMissing.set(sync);
    }
    c.syncMissing &= c.scratchUniverses;  // no live source names it any more: nothing is missing
}

// More than two senders on one Port-Address: Art-Net receivers merge two and drop the rest.
void checkArtNetSenders(ScanEngine& scan, uint64_t nowUs) {
    ScanEventConditions& c = scan.conditions;
    std::fill(c.sendersPerPortAddress.begin(), c.sendersPerPortAddress.end(), 0);
    for (const ArtNetStreamRecord& r : scan.artNet.records) {
        uint8_t& n = c.sendersPerPortAddress[r.portAddress & 0x7FFF];
        if (!silentFor(r.timing.lastUs, nowUs, kArtNetMergeTimeoutUs) && n < UINT8_MAX) ++n;
    }
    for (const ArtNetStreamRecord& r : scan.artNet.records) {
        const std::size_t pa = r.portAddress & 0x7FFF;
        if (c.sendersPerPortAddress[pa] <= 2 || c.sendersExceeded.test(pa)) continue;
        // The latest sender to start is the one too many.
        const ArtNetStreamRecord* latest = &r;
        for (const ArtNetStreamRecord& o : scan.artNet.records) {
            if (o.portAddress == r.portAddress && !silentFor(o.timing.lastUs, nowUs, kArtNetMergeTimeoutUs) &&
                o.timing.firstUs > latest->timing.firstUs)
                latest = &o;
        }
        senderEvent(scan, ScanEventKind::ArtNetSendersExceeded, *latest, nowUs).detail[0] = c.sendersPerPortAddress[pa];
        c.sendersExceeded.set(pa);
    }
    if (!c.sendersExceeded.any()) return;
    for (std::size_t pa = 0; pa < c.sendersExceeded.size(); ++pa) {
        if (c.sendersPerPortAddress[pa] <= 2) c.sendersExceeded.reset(pa);
    }
}

}  // namespace

void noteSacnData(ScanEngine& scan, SacnStreamRecord& stream, const SacnStreamBefore& before, const SacnFrame& frame,
                  bool added, bool inOrder, Ipv4Address destination, uint64_t arrivalUs) {
    if (added) sourceEvent(scan, ScanEventKind::SourceAppeared, stream, arrivalUs).detail[0] = stream.priority;
    noteSourceSequence(scan, stream, arrivalUs);
    noteGroup(scan, stream, destination, arrivalUs);
    if (!inOrder) return;
    if (frame.kind == SacnKind::Levels) noteLevels(scan, stream, before, arrivalUs);
    else notePerAddressPriority(scan, stream, before, arrivalUs);
}

void noteSacnSync(ScanEngine& scan, const SacnSyncRecord& stream, uint64_t arrivalUs) {
    if (stream.syncUniverse == 0 || stream.syncUniverse >= kSacnUniverseCount || !scan.conditions.syncMissing.test(stream.syncUniverse)) return;
    scan.conditions.syncMissing.reset(stream.syncUniverse);
    ScanEvent& event = recordScanEvent(scan.events, ScanEventKind::SyncReturned, arrivalUs);
    event.universe = stream.syncUniverse;
    event.cid = stream.cid;
    event.sender = stream.sender;
}

void noteDiscoveryPage(ScanEngine& scan, const SacnFrame& frame, Ipv4Address sender, uint64_t arrivalUs) {
    bool sorted = true;
    for (uint16_t i = 1; i < frame.universeCount && sorted; ++i) {
        const int before = (frame.universeList[2 * i - 2] << 8) | frame.universeList[2 * i - 1];
        const int universe = (frame.universeList[2 * i] << 8) | frame.universeList[2 * i + 1];
        sorted = before < universe;
    }
    if (sorted && frame.page <= frame.lastPage) return;
    ScanEvent& event = recordScanEvent(scan.events, ScanEventKind::BadDiscovery, arrivalUs);
    event.universe = kSacnDiscoveryUniverse;
    std::memcpy(event.cid.data(), frame.cid, event.cid.size());
    event.sender = sender;
    std::memcpy(event.name.data(), frame.sourceName, event.name.size());
    event.detail = {frame.page, frame.lastPage, sorted ? 0u : 1u};
}

void noteArtDmx(ScanEngine& scan, ArtNetStreamRecord& stream, uint64_t arrivalUs) { noteSenderSequence(scan, stream, arrivalUs); }

void noteNodeReply(ScanEngine& scan, ArtNetNodeRecord& node, bool added, uint64_t lastReplyUs, uint64_t arrivalUs) {
    if (!added && !node.goneReported && silentFor(lastReplyUs, arrivalUs, kArtNetNodeGoneUs)) {
        nodeEvent(scan, ScanEventKind::NodeGone, node, lastReplyUs + kArtNetNodeGoneUs);
        node.goneReported = true;
    }
    if (added || node.goneReported) nodeEvent(scan, ScanEventKind::NodeAppeared, node, arrivalUs);
    node.goneReported = false;
}

void checkScanEvents(ScanEngine& scan, uint64_t nowUs, bool dropping) {
    for (SacnStreamRecord& s : scan.sacn.records) checkSource(scan, s, nowUs, dropping);
    for (ArtNetStreamRecord& r : scan.artNet.records) noteSenderSequence(scan, r, nowUs);
    for (ArtNetNodeRecord& node : scan.nodes.records) {
        if (node.goneReported || !isArtNetNodeGone(node, nowUs)) continue;
        nodeEvent(scan, ScanEventKind::NodeGone, node, node.lastReplyUs + kArtNetNodeGoneUs);
        node.goneReported = true;
    }
    checkConflicts(scan, nowUs);
    checkSync(scan, nowUs);
    checkArtNetSenders(scan, nowUs);
}

bool isDueForDrop(uint64_t lastUs, uint64_t nowUs) { return nowUs > lastUs && nowUs - lastUs >= kScanRecordDropUs; }

int64_t scanEventUnixMs(const ScanEngine& scan, int64_t startUnixMs, const ScanEvent& event) {
    const int64_t sinceStartUs = static_cast<int64_t>(event.atUs) - static_cast<int64_t>(scan.startUs);
    return startUnixMs + sinceStartUs / 1000;
}
