#include "scan_report.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <tuple>

#include "../core/json_writer.h"
#include "../core/utc_time.h"
#include "../net/scan/universe_merge.h"
#include "scan_events_json.h"

namespace {

void timingMembers(JsonWriter& json, const StreamTiming& timing, uint64_t nowUs) {
    json.number("packets", timing.packets);
    json.fixed("rate", packetsPerSecond(timing));
    json.fixed("meanIntervalMs", meanIntervalMs(timing));
    json.fixed("maxIntervalMs", maxIntervalMs(timing));
    json.fixed("jitterMs", intervalJitterMs(timing));
    const IntervalFigures all = intervalsSinceStart(timing.intervals, timing.maxIntervalUs);
    json.fixed("intervalP50Ms", all.p50Ms);
    json.fixed("intervalP99Ms", all.p99Ms);
    const IntervalFigures recent = recentIntervals(timing.intervals, nowUs);
    json.fixed("recentIntervalP50Ms", recent.p50Ms);
    json.fixed("recentIntervalP99Ms", recent.p99Ms);
    json.fixed("recentMaxIntervalMs", recent.maxMs);
}

// Record positions in a stable order, so that two scans of the same traffic read alike.
template <typename Record, typename Less>
std::vector<std::size_t> sortedOrder(const std::vector<Record>& records, Less less) {
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return less(records[a], records[b]); });
    return order;
}

auto senderBytes(Ipv4Address a) { return std::array<uint8_t, 4>{a.bytes[0], a.bytes[1], a.bytes[2], a.bytes[3]}; }

std::vector<std::size_t> sourceOrder(const ScanEngine& scan) {
    return sortedOrder(scan.sacn.records, [](const SacnStreamRecord& a, const SacnStreamRecord& b) {
        return std::make_tuple(a.universe, a.cid, senderBytes(a.sender)) < std::make_tuple(b.universe, b.cid, senderBytes(b.sender));
    });
}

void addresses(JsonWriter& json, std::string_view name, const std::vector<Ipv4Address>& list) {
    json.objectKey(name, '[');
    for (Ipv4Address address : list) {
        json.element();
        json.out += '"' + formatIpv4(address) + '"';
    }
    json.close(']');
}

template <typename Number>
void numbers(JsonWriter& json, std::string_view name, const Number* values, std::size_t count) {
    json.objectKey(name, '[');
    for (std::size_t i = 0; i < count; ++i) json.numberElement(values[i]);
    json.close(']');
}

// A 15-bit Port-Address and its parts, as Art-Net names them.
void portAddressMembers(JsonWriter& json, int portAddress) {
    json.number("portAddress", portAddress);
    json.number("net", portAddress >> 8);
    json.number("subNet", (portAddress >> 4) & 0x0F);
    json.number("universe", portAddress & 0x0F);
}

void sacnSources(JsonWriter& json, const ScanEngine& scan, const std::vector<std::size_t>& order, uint64_t nowUs) {
    const auto& records = scan.sacn.records;
    json.objectKey("sacnSources", '[');
    for (std::size_t i : order) {
        const SacnStreamRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        json.text("cid", cidText(r.cid));
        json.text("sourceName", fieldText(r.sourceName));
        json.number("universe", int{r.universe});
        json.number("priority", int{r.priority});
        timingMembers(json, r.timing, nowUs);
        json.number("sequenceErrors", r.sequence.outOfOrder);
        json.number("skippedSequenceNumbers", r.sequence.skipped);
        json.flag("preview", r.previewSeen);
        json.flag("streamTerminated", r.terminatedSeen);
        json.number("syncUniverse", int{r.syncUniverse});
        json.flag("syncArriving", r.syncUniverse != 0 && isSyncArriving(scan, r.syncUniverse, nowUs));
        json.number("perAddressPriorityPackets", r.perAddressPriorityPackets);
        json.number("slotCount", int{r.slotCount});
        json.flag("lost", isSacnSourceLost(r, nowUs));
        json.text("state", sacnSourceStateName(sacnSourceState(r, nowUs)));
        json.close('}');
    }
    json.close(']');
}

void sacnSync(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.sync.records;
    json.objectKey("sacnSync", '[');
    for (std::size_t i : sortedOrder(records, [](const SacnSyncRecord& a, const SacnSyncRecord& b) {
             return std::make_tuple(a.syncUniverse, a.cid, senderBytes(a.sender)) <
                    std::make_tuple(b.syncUniverse, b.cid, senderBytes(b.sender));
         })) {
        const SacnSyncRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        json.text("cid", cidText(r.cid));
        json.number("syncUniverse", int{r.syncUniverse});
        json.number("packets", r.timing.packets);
        json.fixed("rate", packetsPerSecond(r.timing));
        json.number("sequenceErrors", r.sequence.outOfOrder);
        json.close('}');
    }
    json.close(']');
}

void sacnDiscovery(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.discovery.records;
    json.objectKey("sacnDiscovery", '[');
    for (std::size_t i : sortedOrder(records, [](const SacnDiscoveryRecord& a, const SacnDiscoveryRecord& b) {
             return std::make_pair(a.cid, senderBytes(a.sender)) < std::make_pair(b.cid, senderBytes(b.sender));
         })) {
        const SacnDiscoveryRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        json.text("cid", cidText(r.cid));
        json.text("sourceName", fieldText(r.sourceName));
        json.number("packets", r.packets);
        json.number("lastPage", int{r.lastPage});
        json.objectKey("universes", '[');
        for (std::size_t u = 1; u < r.universes.size(); ++u) {
            if (!r.universes.test(u)) continue;
            json.element();
            json.out += std::to_string(u);
        }
        json.close(']');
        json.close('}');
    }
    json.close(']');
}

void artNetSenders(JsonWriter& json, const ScanEngine& scan, uint64_t nowUs) {
    const auto& records = scan.artNet.records;
    json.objectKey("artNetSenders", '[');
    for (std::size_t i : sortedOrder(records, [](const ArtNetStreamRecord& a, const ArtNetStreamRecord& b) {
             return std::make_pair(a.portAddress, senderBytes(a.sender)) < std::make_pair(b.portAddress, senderBytes(b.sender));
         })) {
        const ArtNetStreamRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        portAddressMembers(json, r.portAddress);
        timingMembers(json, r.timing, nowUs);
        json.flag("sequenced", r.sequence.seen);
        json.number("sequenceErrors", r.sequence.outOfOrder);
        json.number("skippedSequenceNumbers", r.sequence.skipped);
        json.number("slotCount", int{r.slotCount});
        json.close('}');
    }
    json.close(']');
}

const char* styleName(uint8_t style) {
    static const char* const kNames[] = {"StNode", "StController", "StMedia", "StRoute", "StBackup", "StConfig", "StVisual"};
    return style < std::size(kNames) ? kNames[style] : "";
}

// The node's DMX512 ports of one direction; ports of other protocols are not DMX outputs or inputs.
void portAddresses(JsonWriter& json, const ArtNetNodeRecord& r, std::string_view name, bool input) {
    json.objectKey(name, '[');
    ArtPollReplyInfo reply;
    reply.netSwitch = r.netSwitch;
    reply.subSwitch = r.subSwitch;
    reply.swIn = r.swIn;
    reply.swOut = r.swOut;
    for (int port = 0; port < r.portCount; ++port) {
        const uint8_t type = r.portTypes[static_cast<std::size_t>(port)];
        if (!(input ? isDmxInputPort(type) : isDmxOutputPort(type))) continue;
        json.element();
        json.open('{');
        json.number("port", port);
        portAddressMembers(json, artNetReplyPortAddress(reply, port, input));
        json.close('}');
    }
    json.close(']');
}

void artNetNodes(JsonWriter& json, const ScanEngine& scan, uint64_t nowUs) {
    const auto& records = scan.nodes.records;
    json.objectKey("artNetNodes", '[');
    for (std::size_t i : sortedOrder(records, [](const ArtNetNodeRecord& a, const ArtNetNodeRecord& b) {
             return std::make_pair(a.ip, a.bindIndex) < std::make_pair(b.ip, b.bindIndex);
         })) {
        const ArtNetNodeRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("ip", formatIpv4(Ipv4Address{{r.ip[0], r.ip[1], r.ip[2], r.ip[3]}}));
        json.text("sender", formatIpv4(r.sender));
        json.number("bindIndex", int{r.bindIndex});
        json.text("shortName", fieldText(r.shortName));
        json.text("longName", fieldText(r.longName));
        json.text("nodeReport", fieldText(r.nodeReport));
        json.number("style", int{r.style});
        json.text("styleName", styleName(r.style));
        portAddresses(json, r, "outputs", false);
        portAddresses(json, r, "inputs", true);
        json.number("replies", r.replies);
        json.number("lastReplyMs", static_cast<uint64_t>(nowUs > r.lastReplyUs ? (nowUs - r.lastReplyUs) / 1000 : 0));
        json.flag("gone", isArtNetNodeGone(r, nowUs));
        json.close('}');
    }
    json.close(']');
}

void otherDatagrams(JsonWriter& json, const ScanEngine& scan) {
    const auto sacn = [&](SacnKind kind) { return scan.sacnKinds[static_cast<std::size_t>(kind)]; };
    const auto artNet = [&](ArtNetKind kind) { return scan.artNetKinds[static_cast<std::size_t>(kind)]; };
    json.objectKey("otherDatagrams", '{');
    json.objectKey("sacn", '{');
    json.number("otherStartCode", sacn(SacnKind::OtherStartCode));
    json.number("invalidData", sacn(SacnKind::InvalidData));
    json.number("invalidSync", sacn(SacnKind::InvalidSync));
    json.number("invalidDiscovery", sacn(SacnKind::InvalidDiscovery));
    json.number("unknownVector", sacn(SacnKind::UnknownVector));
    json.number("notE131", sacn(SacnKind::NotE131));
    json.number("untracked", scan.sacn.untracked + scan.sync.untracked + scan.discovery.untracked);
    json.close('}');
    json.objectKey("artNet", '{');
    json.number("invalidDmx", artNet(ArtNetKind::InvalidDmx));
    json.number("invalidPollReply", artNet(ArtNetKind::InvalidPollReply));
    json.number("notArtNet", artNet(ArtNetKind::NotArtNet));
    json.number("untracked", scan.artNet.untracked + scan.nodes.untracked + scan.otherOpCodesUntracked);
    json.objectKey("opCodes", '[');
    std::vector<OpCodeCount> opCodes = scan.otherOpCodes;
    std::sort(opCodes.begin(), opCodes.end(), [](const OpCodeCount& a, const OpCodeCount& b) { return a.opCode < b.opCode; });
    for (const OpCodeCount& entry : opCodes) {
        json.element();
        json.open('{');
        json.number("opCode", int{entry.opCode});
        json.number("packets", entry.packets);
        json.close('}');
    }
    json.close(']');
    json.close('}');
    json.close('}');
}

void mergedSource(JsonWriter& json, const SacnStreamRecord& r, uint64_t nowUs) {
    json.element();
    json.open('{');
    json.text("cid", cidText(r.cid));
    json.text("sender", formatIpv4(r.sender));
    json.text("sourceName", fieldText(r.sourceName));
    json.number("priority", int{r.priority});
    json.text("state", sacnSourceStateName(sacnSourceState(r, nowUs)));
    json.flag("preview", r.preview);
    numbers(json, "levels", r.levels.data(), static_cast<std::size_t>(r.slotCount));
    if (hasPerAddressPriority(r, nowUs)) {
        numbers(json, "perAddressPriorities", r.perAddressPriorities.data(), static_cast<std::size_t>(r.perAddressPrioritySlotCount));
    } else {
        json.raw("perAddressPriorities", "null");
    }
    json.close('}');
}

// One universe as a receiver outputs it, its sources in the order of sacnSources.
void mergedUniverse(JsonWriter& json, const ScanEngine& scan, const std::vector<const SacnStreamRecord*>& sources, uint64_t nowUs) {
    MergedUniverse merged;
    mergeUniverse(sources, nowUs, merged);
    uint16_t syncUniverse = 0;
    for (const SacnStreamRecord* r : sources) {
        if (takesPartInMerge(*r, nowUs) && r->syncUniverse != 0) syncUniverse = r->syncUniverse;
    }
    json.element();
    json.open('{');
    json.number("universe", int{merged.universe});
    json.number("slotCount", int{merged.slotCount});
    json.number("syncUniverse", int{syncUniverse});
    json.flag("syncArriving", syncUniverse != 0 && isSyncArriving(scan, syncUniverse, nowUs));
    numbers(json, "levels", merged.levels.data(), static_cast<std::size_t>(merged.slotCount));
    numbers(json, "winners", merged.winners.data(), static_cast<std::size_t>(merged.slotCount));
    json.objectKey("sources", '[');
    for (const SacnStreamRecord* r : sources) mergedSource(json, *r, nowUs);
    json.close(']');
    json.close('}');
}

void universes(JsonWriter& json, const ScanEngine& scan, const std::vector<std::size_t>& order, uint64_t nowUs) {
    json.objectKey("universes", '[');
    std::vector<const SacnStreamRecord*> sources;
    for (std::size_t at = 0; at < order.size(); at += sources.size()) {
        sources.clear();
        const uint16_t universe = scan.sacn.records[order[at]].universe;
        for (std::size_t i = at; i < order.size() && scan.sacn.records[order[i]].universe == universe; ++i) {
            sources.push_back(&scan.sacn.records[order[i]]);
        }
        mergedUniverse(json, scan, sources, nowUs);
    }
    json.close(']');
}

// Per port, whether it is listened on at all and whether unicast could be heard, and when
// not, why.
void ports(JsonWriter& json, const ScanReportSettings& settings) {
    json.objectKey("ports", '[');
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        const ScanPortUnicast& unicast = settings.unicast[portSlot(port)];
        json.element();
        json.open('{');
        json.number("port", int{protocolPort(port)});
        json.flag("listening", unicast.listened);
        if (unicast.listened) {
            json.raw("notListening", "null");
        } else {
            json.text("notListening", unicast.sharingRefused ? "another program holds the port without sharing it"
                                                             : "another program holds the port");
        }
        json.flag("unicast", unicast.heard);
        if (unicast.heard) {
            json.raw("unicastNotHeard", "null");
        } else if (unicast.heldElsewhere) {
            json.text("unicastNotHeard", "another program holds the port");
        } else {
            json.text("unicastNotHeard", "bind failed: " + std::to_string(unicast.bindError));
        }
        json.close('}');
    }
    json.close(']');
}

}  // namespace

std::string cidText(const std::array<uint8_t, kSacnCidLength>& cid) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < cid.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += kHex[cid[i] >> 4];
        text += kHex[cid[i] & 0x0F];
    }
    return text;
}

std::string scanReportJson(const ScanEngine& scan, const ScanReportSettings& settings, uint64_t nowUs) {
    JsonWriter json;
    json.open('{');
    json.number("schemaVersion", kScanSchemaVersion);
    if (settings.sequence >= 0) json.number("sequence", settings.sequence);
    json.text("startTime", isoUtcText(settings.startUnixMs));
    json.number("elapsedMs", static_cast<uint64_t>(nowUs > scan.startUs ? (nowUs - scan.startUs) / 1000 : 0));
    json.text("local", formatIpv4(settings.local));
    json.number("listenMs", int{settings.listenMs});
    addresses(json, "interfaces", settings.interfaces);
    json.fixed("joinMs", static_cast<double>(settings.joinUs) / 1000.0);
    json.number("joinedUniverses", settings.joinedUniverses);
    numbers(json, "unjoinedUniverses", settings.unjoinedUniverses.data(), settings.unjoinedUniverses.size());
    numbers(json, "announcedUniverses", settings.announcedUniverses.data(), settings.announcedUniverses.size());
    ports(json, settings);
    if (settings.pollRequested) {
        json.objectKey("artPoll", '{');
        addresses(json, "targets", settings.pollTargets);
        json.number("rounds", settings.pollRounds);
        json.flag("sent", settings.pollSent);
        json.close('}');
    } else {
        json.raw("artPoll", "null");
    }
    json.number("datagrams", scan.datagrams);
    const std::vector<std::size_t> order = sourceOrder(scan);
    sacnSources(json, scan, order, nowUs);
    sacnSync(json, scan);
    sacnDiscovery(json, scan);
    artNetSenders(json, scan, nowUs);
    artNetNodes(json, scan, nowUs);
    otherDatagrams(json, scan);
    scanEventMembers(json, scan, settings.startUnixMs, settings.sequence >= 0 ? settings.eventsAfter : 0);
    if (settings.levels) universes(json, scan, order, nowUs);
    json.close('}');
    return json.out;
}
