#include "scan_report.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <tuple>

#include "../core/json_writer.h"

namespace {

// A fixed-width name field up to its first zero byte.
template <std::size_t N>
std::string_view fieldText(const std::array<char, N>& field) {
    return std::string_view(field.data(), strnlen(field.data(), N));
}

void timingMembers(JsonWriter& json, const StreamTiming& timing) {
    json.number("packets", timing.packets);
    json.fixed("rate", packetsPerSecond(timing));
    json.fixed("meanIntervalMs", meanIntervalMs(timing));
    json.fixed("maxIntervalMs", maxIntervalMs(timing));
    json.fixed("jitterMs", intervalJitterMs(timing));
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

void sacnSources(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.sacn.records;
    json.objectKey("sacnSources", '[');
    for (std::size_t i : sortedOrder(records, [](const SacnStreamRecord& a, const SacnStreamRecord& b) {
             return std::make_tuple(a.universe, a.cid, senderBytes(a.sender)) <
                    std::make_tuple(b.universe, b.cid, senderBytes(b.sender));
         })) {
        const SacnStreamRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        json.text("cid", cidText(r.cid));
        json.text("sourceName", fieldText(r.sourceName));
        json.number("universe", int{r.universe});
        json.number("priority", int{r.priority});
        timingMembers(json, r.timing);
        json.number("sequenceErrors", r.sequence.outOfOrder);
        json.number("skippedSequenceNumbers", r.sequence.skipped);
        json.flag("preview", r.previewSeen);
        json.flag("streamTerminated", r.terminatedSeen);
        json.number("syncUniverse", int{r.syncUniverse});
        json.number("perAddressPriorityPackets", r.perAddressPriorityPackets);
        json.number("slotCount", int{r.slotCount});
        json.flag("lost", isSacnSourceLost(r, scan.endUs));
        json.close('}');
    }
    json.close(']');
}

void sacnSync(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.sync.records;
    json.objectKey("sacnSync", '[');
    for (std::size_t i : sortedOrder(records, [](const SacnSyncRecord& a, const SacnSyncRecord& b) {
             return std::tie(a.syncUniverse, a.cid) < std::tie(b.syncUniverse, b.cid);
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
    for (std::size_t i : sortedOrder(records, [](const SacnDiscoveryRecord& a, const SacnDiscoveryRecord& b) { return a.cid < b.cid; })) {
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

void artNetSenders(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.artNet.records;
    json.objectKey("artNetSenders", '[');
    for (std::size_t i : sortedOrder(records, [](const ArtNetStreamRecord& a, const ArtNetStreamRecord& b) {
             return std::make_pair(a.portAddress, senderBytes(a.sender)) < std::make_pair(b.portAddress, senderBytes(b.sender));
         })) {
        const ArtNetStreamRecord& r = records[i];
        json.element();
        json.open('{');
        json.text("sender", formatIpv4(r.sender));
        json.number("universe", int{r.portAddress});
        timingMembers(json, r.timing);
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

void portAddresses(JsonWriter& json, const ArtNetNodeRecord& r, std::string_view name, uint8_t typeBit, bool input) {
    json.objectKey(name, '[');
    ArtPollReplyInfo reply;
    reply.netSwitch = r.netSwitch;
    reply.subSwitch = r.subSwitch;
    reply.swIn = r.swIn;
    reply.swOut = r.swOut;
    for (int port = 0; port < r.portCount; ++port) {
        if ((r.portTypes[static_cast<std::size_t>(port)] & typeBit) == 0) continue;
        json.element();
        json.out += std::to_string(artNetReplyPortAddress(reply, port, input));
    }
    json.close(']');
}

void artNetNodes(JsonWriter& json, const ScanEngine& scan) {
    const auto& records = scan.nodes.records;
    json.objectKey("artNetNodes", '[');
    for (std::size_t i : sortedOrder(records, [](const ArtNetNodeRecord& a, const ArtNetNodeRecord& b) {
             return std::make_pair(senderBytes(a.sender), a.bindIndex) < std::make_pair(senderBytes(b.sender), b.bindIndex);
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
        portAddresses(json, r, "outputs", 0x80, false);
        portAddresses(json, r, "inputs", 0x40, true);
        json.number("replies", r.replies);
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

// Per port, whether unicast could be heard and, when not, why.
void ports(JsonWriter& json, const ScanReportSettings& settings) {
    json.objectKey("ports", '[');
    for (DmxProtocol port : {DmxProtocol::Sacn, DmxProtocol::ArtNet}) {
        const ScanPortUnicast& unicast = settings.unicast[portSlot(port)];
        json.element();
        json.open('{');
        json.number("port", int{protocolPort(port)});
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

std::string scanReportJson(const ScanEngine& scan, const ScanReportSettings& settings) {
    JsonWriter json;
    json.open('{');
    json.text("local", formatIpv4(settings.local));
    json.number("listenMs", int{settings.listenMs});
    json.number("joinedUniverses", settings.joinedUniverses);
    json.objectKey("unjoinedUniverses", '[');
    for (uint16_t universe : settings.unjoinedUniverses) {
        json.element();
        json.out += std::to_string(universe);
    }
    json.close(']');
    ports(json, settings);
    if (settings.pollRequested) {
        json.objectKey("artPoll", '{');
        json.text("target", formatIpv4(settings.pollTarget));
        json.flag("sent", settings.pollSent);
        json.close('}');
    } else {
        json.raw("artPoll", "null");
    }
    json.number("datagrams", scan.datagrams);
    sacnSources(json, scan);
    sacnSync(json, scan);
    sacnDiscovery(json, scan);
    artNetSenders(json, scan);
    artNetNodes(json, scan);
    otherDatagrams(json, scan);
    json.close('}');
    return json.out;
}
