#include "network_texts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

#include "../core/utc_time.h"
#include "../net/scan/scan_events.h"
#include "../net/scan/universe_merge.h"
#include "../net/socket/socket_layer.h"
#include "window_style.h"

namespace {

uint64_t keyHash(const StreamKey& key) {
    uint64_t h = key.words[0];
    h = h * 0x9E3779B97F4A7C15ull ^ key.words[1];
    return h * 0x9E3779B97F4A7C15ull ^ key.words[2];
}

template <typename Record>
void sampleTable(NetworkRates& rates, const std::vector<Record>& records, double seconds,
                 std::unordered_map<uint64_t, uint64_t>& packets, std::unordered_map<uint64_t, double>& perSecond) {
    for (const Record& record : records) {
        const uint64_t key = keyHash(record.key);
        const auto before = rates.packetsAtSample.find(key);
        const uint64_t count = record.timing.packets;
        if (before != rates.packetsAtSample.end() && seconds > 0) {
            perSecond[key] = static_cast<double>(count - std::min(count, before->second)) / seconds;
        }
        packets[key] = count;
    }
}

// Names arrive as fixed fields, padded with zeros when shorter.
template <std::size_t N>
std::string fixedText(const std::array<char, N>& field) {
    return std::string(field.data(), strnlen(field.data(), N));
}

std::string ipText(const std::array<uint8_t, 4>& ip) {
    return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." + std::to_string(ip[3]);
}

uint16_t nodePortAddress(const ArtNetNodeRecord& node, uint8_t sw) {
    return static_cast<uint16_t>(((node.netSwitch & 0x7F) << 8) | ((node.subSwitch & 0x0F) << 4) | (sw & 0x0F));
}

std::string nodePorts(const ArtNetNodeRecord& node, bool input) {
    std::string text;
    for (int port = 0; port < std::min(node.portCount, 4); ++port) {
        const uint8_t type = node.portTypes[static_cast<std::size_t>(port)];
        if (!(input ? isDmxInputPort(type) : isDmxOutputPort(type))) continue;
        const uint8_t sw = input ? node.swIn[static_cast<std::size_t>(port)] : node.swOut[static_cast<std::size_t>(port)];
        if (!text.empty()) text += ", ";
        text += std::to_string(nodePortAddress(node, sw));
    }
    return text.empty() ? "none" : text;
}

uint64_t sequenceErrors(const SequenceCheck& check) { return check.outOfOrder + check.skipped; }

uint32_t mix(uint32_t from, uint32_t to, int weight, int scale) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        result |= static_cast<uint32_t>(a + (b - a) * weight / scale) << shift;
    }
    return result;
}

constexpr uint32_t kSourceColours[kSourceColourCount] = {0xF2A03D, 0x4FC3F7, 0xE65C9C, 0x8BD346,
                                                         0xB085F5, 0xF2E14B, 0x4DD0B0, 0xFF7F6B};
constexpr uint32_t kGridEmpty = 0x0E1928;
constexpr uint32_t kGridFull = 0x9FB4CC;
constexpr uint32_t kGridDarkText = 0x0A111E;
constexpr uint8_t kDarkTextFrom = 150;  // above this level the fill is bright enough for dark text

}  // namespace

void sampleNetworkRates(NetworkRates& rates, const ScanEngine& scan, uint64_t nowUs) {
    if (rates.sampleUs != 0 && nowUs - rates.sampleUs < kRateSampleUs) return;
    const double seconds = rates.sampleUs == 0 ? 0 : static_cast<double>(nowUs - rates.sampleUs) / 1e6;
    std::unordered_map<uint64_t, uint64_t> packets;
    std::unordered_map<uint64_t, double> perSecond;
    sampleTable(rates, scan.sacn.records, seconds, packets, perSecond);
    sampleTable(rates, scan.artNet.records, seconds, packets, perSecond);
    if (seconds > 0) {
        rates.datagramsPerSecond = static_cast<double>(scan.datagrams - std::min(scan.datagrams, rates.datagramsAtSample)) / seconds;
    }
    rates.datagramsAtSample = scan.datagrams;
    rates.packetsAtSample = std::move(packets);
    rates.perSecond = std::move(perSecond);
    rates.sampleUs = nowUs;
}

double rateOf(const NetworkRates& rates, const StreamKey& key) {
    const auto found = rates.perSecond.find(keyHash(key));
    return found == rates.perSecond.end() ? 0 : found->second;
}

std::string sourceStatusText(const SacnStreamRecord& source, uint64_t nowUs) {
    switch (sacnSourceState(source, nowUs)) {
        case SacnSourceState::Live: return source.preview ? "preview" : "live";
        case SacnSourceState::Lost: return "lost";
        case SacnSourceState::Terminated: return "stream ended";
    }
    return "";
}

std::string sourcePriorityText(const SacnStreamRecord& source, uint64_t nowUs) {
    std::string text = std::to_string(source.priority);
    if (hasPerAddressPriority(source, nowUs)) text += " · per address";
    return text;
}

std::string portAddressText(uint16_t portAddress) {
    return std::to_string(portAddress) + " (" + std::to_string(portAddress >> 8) + ":" +
           std::to_string((portAddress >> 4) & 0x0F) + ":" + std::to_string(portAddress & 0x0F) + ")";
}

std::string rateText(double perSecond) { return std::to_string(static_cast<long long>(std::lround(perSecond))); }

std::vector<const SacnStreamRecord*> sourcesInTableOrder(const ScanEngine& scan, bool descending) {
    std::vector<const SacnStreamRecord*> order;
    order.reserve(scan.sacn.records.size());
    for (const SacnStreamRecord& record : scan.sacn.records) order.push_back(&record);
    std::stable_sort(order.begin(), order.end(), [descending](const SacnStreamRecord* a, const SacnStreamRecord* b) {
        if (a->universe != b->universe) return descending ? a->universe > b->universe : a->universe < b->universe;
        const int sender = std::memcmp(a->sender.bytes, b->sender.bytes, sizeof a->sender.bytes);
        if (sender != 0) return sender < 0;
        return a->cid < b->cid;
    });
    return order;
}

std::vector<std::string> sourceRow(const SacnStreamRecord& source, const NetworkRates& rates, uint64_t nowUs) {
    return {std::to_string(source.universe),
            fixedText(source.sourceName),
            formatIpv4(source.sender),
            sourcePriorityText(source, nowUs),
            rateText(rateOf(rates, source.key)),
            std::to_string(sequenceErrors(source.sequence)),
            sourceStatusText(source, nowUs)};
}

std::vector<const ArtNetStreamRecord*> sendersInTableOrder(const ScanEngine& scan) {
    std::vector<const ArtNetStreamRecord*> order;
    for (const ArtNetStreamRecord& record : scan.artNet.records) order.push_back(&record);
    std::stable_sort(order.begin(), order.end(), [](const ArtNetStreamRecord* a, const ArtNetStreamRecord* b) {
        if (a->portAddress != b->portAddress) return a->portAddress < b->portAddress;
        return std::memcmp(a->sender.bytes, b->sender.bytes, sizeof a->sender.bytes) < 0;
    });
    return order;
}

std::vector<std::string> senderRow(const ArtNetStreamRecord& sender, const NetworkRates& rates) {
    return {portAddressText(sender.portAddress), formatIpv4(sender.sender), rateText(rateOf(rates, sender.key)),
            std::to_string(sequenceErrors(sender.sequence))};
}

std::vector<const ArtNetNodeRecord*> nodesInTableOrder(const ScanEngine& scan) {
    std::vector<const ArtNetNodeRecord*> order;
    for (const ArtNetNodeRecord& record : scan.nodes.records) order.push_back(&record);
    std::stable_sort(order.begin(), order.end(), [](const ArtNetNodeRecord* a, const ArtNetNodeRecord* b) {
        if (a->ip != b->ip) return a->ip < b->ip;
        return a->bindIndex < b->bindIndex;
    });
    return order;
}

std::vector<std::string> nodeRow(const ArtNetNodeRecord& node, uint64_t nowUs) {
    std::string ip = ipText(node.ip);
    if (node.bindIndex > 1) ip += " #" + std::to_string(node.bindIndex);
    const uint64_t sinceUs = nowUs > node.lastReplyUs ? nowUs - node.lastReplyUs : 0;
    const std::string since = isArtNetNodeGone(node, nowUs) ? "gone" : std::to_string(sinceUs / 1000000) + " s";
    return {ip, fixedText(node.shortName), nodePorts(node, false), nodePorts(node, true), since};
}

std::vector<std::string> eventRow(const ScanEngine& scan, int64_t startUnixMs, const ScanEvent& event) {
    const std::string time = isoUtcText(scanEventUnixMs(scan, startUnixMs, event)).substr(11, 8);  // hh:mm:ss
    const std::string who = scanEventWhoText(event);
    std::string place;
    switch (event.subject) {
        case ScanEventSubject::SacnSource: place = "universe " + std::to_string(event.universe); break;
        case ScanEventSubject::ArtNetSender: place = "Port-Address " + portAddressText(event.universe); break;
        case ScanEventSubject::ArtNetNode: break;
    }
    const std::string separator = place.empty() || who.empty() ? "" : " · ";
    return {time, scanEventKindName(event.kind), place + separator + who};
}

NetworkGrid mergedGrid(const ScanEngine& scan, uint16_t universe, uint64_t nowUs) {
    NetworkGrid grid;
    grid.winnerColours.fill(kNoSourceColour);
    if (universe == 0) return grid;
    grid.universe = universe;
    std::vector<const SacnStreamRecord*> sources;
    for (const SacnStreamRecord* source : sourcesInTableOrder(scan, false)) {
        if (source->universe == universe) sources.push_back(source);
    }
    MergedUniverse merged;
    mergeUniverse(std::span<const SacnStreamRecord* const>(sources), nowUs, merged);
    grid.slotCount = merged.slotCount;
    grid.levels = merged.levels;
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const int16_t winner = merged.winners[static_cast<std::size_t>(slot)];
        if (winner != kNoWinner) grid.winnerColours[static_cast<std::size_t>(slot)] = static_cast<int8_t>(winner % kSourceColourCount);
    }
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const SacnStreamRecord& source = *sources[i];
        grid.legend.push_back({sourceColour(static_cast<int8_t>(i % kSourceColourCount)),
                               fixedText(source.sourceName) + " · " + formatIpv4(source.sender) + " · priority " +
                                   sourcePriorityText(source, nowUs) + " · " + sourceStatusText(source, nowUs)});
    }
    return grid;
}

std::string gridTitleText(const NetworkGrid& grid) {
    if (grid.universe == 0) return "Select a source to see its universe's merged levels";
    return "Universe " + std::to_string(grid.universe) + " · merged levels, marked in the colour of the winning source";
}

std::string gridCellText(const NetworkGrid& grid, int slot) {
    if (slot < 0 || slot >= kDmxSlotCount) return "";
    if (grid.winnerColours[static_cast<std::size_t>(slot)] == kNoSourceColour) return "";
    return std::to_string(grid.levels[static_cast<std::size_t>(slot)]);
}

uint32_t gridCellFill(uint8_t level) { return mix(kGridEmpty, kGridFull, level, 255); }

uint32_t gridCellTextColour(uint8_t level) { return level > kDarkTextFrom ? kGridDarkText : kTableTextColour; }

uint32_t sourceColour(int8_t index) {
    if (index < 0 || index >= kSourceColourCount) return 0;
    return kSourceColours[index];
}

std::string networkStatusText(const NetworkStatus& status) {
    std::string text;
    if (!status.scanning) {
        text = "Ready. The scan is off.";
    } else {
        text = "Scanning on " + status.local + " · " + std::to_string(status.sockets) + " sockets · " +
               std::to_string(status.joinedUniverses) + " universes joined";
        if (status.announcedUniverses > 0) text += ", " + std::to_string(status.announcedUniverses) + " announced";
        text += " · " + rateText(status.datagramsPerSecond) + " datagrams/s · drops: ";
        text += status.systemDrops < 0 ? "not reported by the system" : std::to_string(status.systemDrops);
    }
    if (!status.message.empty()) text += "\r\n" + status.message;
    return text;
}
