#include "scan_metrics.h"

#include <map>

#include "../core/metrics_text.h"
#include "scan_report.h"

namespace {

using Labels = std::array<MetricLabel, 4>;

// The labels that name each sACN source on its universe, escaped once for all its lines:
// `universe="1",cid="…",source_name="…",sender="…"`, in table order.
std::vector<std::string> sacnSourceLabels(const ScanEngine& scan) {
    std::vector<std::string> lists;
    lists.reserve(scan.sacn.records.size());
    for (const SacnStreamRecord& r : scan.sacn.records) {
        const std::string universe = std::to_string(r.universe), cid = cidText(r.cid), sender = formatIpv4(r.sender);
        const Labels labels{{{"universe", universe}, {"cid", cid}, {"source_name", fieldText(r.sourceName)}, {"sender", sender}}};
        appendMetricLabelList(lists.emplace_back(), labels);
    }
    return lists;
}

void sacnSources(std::string& out, const ScanEngine& scan, const std::vector<std::string>& labels, uint64_t nowUs) {
    // Each family's lines stand together, as the format asks.
    struct Family {
        std::string_view name;
        MetricType type;
        std::string_view help;
        uint64_t (*value)(const SacnStreamRecord&, uint64_t nowUs);
    };
    static constexpr Family kFamilies[] = {
        {"lumibox_sacn_packets_total", MetricType::Counter, "sACN level packets (start code 0) of a source on a universe.",
         [](const SacnStreamRecord& r, uint64_t) { return r.timing.packets; }},
        {"lumibox_sacn_per_address_priority_packets_total", MetricType::Counter,
         "sACN per-address priority packets (start code 0xDD) of a source on a universe.",
         [](const SacnStreamRecord& r, uint64_t) { return r.perAddressPriorityPackets; }},
        {"lumibox_sacn_sequence_errors_total", MetricType::Counter,
         "sACN packets out of order (0 to 19 behind), which receivers discard.",
         [](const SacnStreamRecord& r, uint64_t) { return r.sequence.outOfOrder; }},
        {"lumibox_sacn_skipped_sequence_numbers_total", MetricType::Counter, "sACN sequence numbers jumped over.",
         [](const SacnStreamRecord& r, uint64_t) { return r.sequence.skipped; }},
        {"lumibox_sacn_source_up", MetricType::Gauge,
         "1 while the source sends level data, 0 once lost (2.5 s silent) or terminated.",
         [](const SacnStreamRecord& r, uint64_t now) {
             return uint64_t{sacnSourceState(r, now) == SacnSourceState::Live};
         }},
        {"lumibox_sacn_priority", MetricType::Gauge, "The source's universe priority, 0 to 200.",
         [](const SacnStreamRecord& r, uint64_t) { return uint64_t{r.priority}; }},
        {"lumibox_sacn_slots", MetricType::Gauge, "Slots in the source's latest level packet.",
         [](const SacnStreamRecord& r, uint64_t) { return static_cast<uint64_t>(r.slotCount); }},
    };
    for (const Family& family : kFamilies) {
        appendMetricFamily(out, family.name, family.type, family.help);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            appendMetricSampleOf(out, family.name, labels[i], "", family.value(scan.sacn.records[i], nowUs));
        }
    }
}

// Intervals between a source's level packets, in the buckets alert rules want: 23 ms is
// the 44 Hz of a full DMX512 frame, 2.5 s the loss time-out.
void packetIntervals(std::string& out, const ScanEngine& scan, const std::vector<std::string>& labels) {
    static constexpr std::pair<uint32_t, std::string_view> kBuckets[] = {
        {1000, "le=\"0.001\""}, {5000, "le=\"0.005\""}, {10000, "le=\"0.01\""}, {20000, "le=\"0.02\""},
        {23000, "le=\"0.023\""}, {25000, "le=\"0.025\""}, {30000, "le=\"0.03\""}, {50000, "le=\"0.05\""},
        {100000, "le=\"0.1\""}, {250000, "le=\"0.25\""}, {500000, "le=\"0.5\""}, {1000000, "le=\"1\""},
        {2500000, "le=\"2.5\""}};
    constexpr std::string_view kName = "lumibox_sacn_packet_interval_seconds";
    constexpr std::string_view kBucket = "lumibox_sacn_packet_interval_seconds_bucket";
    appendMetricFamily(out, kName, MetricType::Histogram, "Time between a source's level packets on a universe.");
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const StreamTiming& timing = scan.sacn.records[i].timing;
        const auto below = cumulativeIntervals(timing.intervals);
        for (const auto& [edgeUs, le] : kBuckets) appendMetricSampleOf(out, kBucket, labels[i], le, below[intervalBucketAt(edgeUs)]);
        const uint64_t intervals = timing.packets > 0 ? timing.packets - 1 : 0;
        appendMetricSampleOf(out, kBucket, labels[i], "le=\"+Inf\"", intervals);
        appendMetricDecimalSampleOf(out, "lumibox_sacn_packet_interval_seconds_sum", labels[i], static_cast<double>(timing.intervalSumUs) / 1e6);
        appendMetricSampleOf(out, "lumibox_sacn_packet_interval_seconds_count", labels[i], "", intervals);
    }
}

void events(std::string& out, const ScanEngine& scan) {
    constexpr std::string_view kName = "lumibox_events_total";
    appendMetricFamily(out, kName, MetricType::Counter, "Events of the scan by kind, as /events.json lists them.");
    for (int kind = 0; kind < kScanEventKindCount; ++kind) {
        appendMetricSample(out, kName, {{"kind", scanEventKindName(static_cast<ScanEventKind>(kind))}},
                           scan.events.perKind[static_cast<std::size_t>(kind)]);
    }
}

void sourcesPerUniverse(std::string& out, const ScanEngine& scan, uint64_t nowUs) {
    std::map<uint16_t, uint64_t> live;
    for (const SacnStreamRecord& r : scan.sacn.records) {
        live[r.universe] += sacnSourceState(r, nowUs) == SacnSourceState::Live ? 1 : 0;
    }
    constexpr std::string_view kName = "lumibox_sacn_sources";
    appendMetricFamily(out, kName, MetricType::Gauge, "Live sACN sources on a universe.");
    for (const auto& [universe, count] : live) appendMetricSample(out, kName, {{"universe", std::to_string(universe)}}, count);
}

void sacnSync(std::string& out, const ScanEngine& scan) {
    constexpr std::string_view kName = "lumibox_sacn_sync_packets_total";
    appendMetricFamily(out, kName, MetricType::Counter, "sACN synchronisation packets of a source.");
    for (const SacnSyncRecord& r : scan.sync.records) {
        appendMetricSample(out, kName,
                           {{"sync_universe", std::to_string(r.syncUniverse)}, {"cid", cidText(r.cid)},
                            {"sender", formatIpv4(r.sender)}},
                           r.timing.packets);
    }
}

void sacnDiscovery(std::string& out, const ScanEngine& scan) {
    constexpr std::string_view kName = "lumibox_sacn_discovery_packets_total";
    appendMetricFamily(out, kName, MetricType::Counter, "sACN universe discovery packets of a source.");
    for (const SacnDiscoveryRecord& r : scan.discovery.records) {
        appendMetricSample(out, kName,
                           {{"cid", cidText(r.cid)}, {"source_name", fieldText(r.sourceName)},
                            {"sender", formatIpv4(r.sender)}},
                           r.packets);
    }
}

void artNetSenders(std::string& out, const ScanEngine& scan) {
    struct Family {
        std::string_view name;
        std::string_view help;
        uint64_t (*value)(const ArtNetStreamRecord&);
    };
    static constexpr Family kFamilies[] = {
        {"lumibox_artnet_packets_total", "ArtDmx packets of a sender to a Port-Address.",
         [](const ArtNetStreamRecord& r) { return r.timing.packets; }},
        {"lumibox_artnet_sequence_errors_total", "ArtDmx packets out of order.",
         [](const ArtNetStreamRecord& r) { return r.sequence.outOfOrder; }},
        {"lumibox_artnet_skipped_sequence_numbers_total", "ArtDmx sequence numbers jumped over.",
         [](const ArtNetStreamRecord& r) { return r.sequence.skipped; }},
    };
    for (const Family& family : kFamilies) {
        appendMetricFamily(out, family.name, MetricType::Counter, family.help);
        for (const ArtNetStreamRecord& r : scan.artNet.records) {
            appendMetricSample(out, family.name, {{"universe", std::to_string(r.portAddress)}, {"sender", formatIpv4(r.sender)}},
                               family.value(r));
        }
    }
}

struct NodeLabels {
    std::string ip, bindIndex, sender;
    std::string_view shortName;

    explicit NodeLabels(const ArtNetNodeRecord& r)
        : ip(formatIpv4(Ipv4Address{{r.ip[0], r.ip[1], r.ip[2], r.ip[3]}})), bindIndex(std::to_string(r.bindIndex)),
          sender(formatIpv4(r.sender)), shortName(fieldText(r.shortName)) {}
    Labels labels() const { return {{{"ip", ip}, {"bind_index", bindIndex}, {"short_name", shortName}, {"sender", sender}}}; }
};

void artNetNodes(std::string& out, const ScanEngine& scan, uint64_t nowUs) {
    constexpr std::string_view kUp = "lumibox_artnet_node_up";
    constexpr std::string_view kReplies = "lumibox_artnet_node_replies_total";
    appendMetricFamily(out, kUp, MetricType::Gauge, "1 while the Art-Net node answers ArtPoll, 0 after 10 s without a reply.");
    for (const ArtNetNodeRecord& r : scan.nodes.records) {
        const NodeLabels labels(r);
        appendMetricSample(out, kUp, labels.labels(), isArtNetNodeGone(r, nowUs) ? 0 : 1);
    }
    appendMetricFamily(out, kReplies, MetricType::Counter, "ArtPollReply packets of an Art-Net node.");
    for (const ArtNetNodeRecord& r : scan.nodes.records) {
        const NodeLabels labels(r);
        appendMetricSample(out, kReplies, labels.labels(), r.replies);
    }
}

constexpr std::string_view kSacnKindNames[kSacnKindCount] = {
    "levels",          "per_address_priority", "other_start_code", "sync",           "discovery",
    "invalid_data",    "invalid_sync",         "invalid_discovery", "unknown_vector", "not_e131"};
constexpr std::string_view kArtNetKindNames[kArtNetKindCount] = {"dmx",         "poll_reply",         "other_op_code",
                                                                 "invalid_dmx", "invalid_poll_reply", "not_art_net"};

void datagramKinds(std::string& out, const ScanEngine& scan) {
    constexpr std::string_view kName = "lumibox_datagrams_total";
    appendMetricFamily(out, kName, MetricType::Counter, "Datagrams received on a port, by what they were.");
    for (int kind = 0; kind < kSacnKindCount; ++kind) {
        appendMetricSample(out, kName, {{"port", "5568"}, {"kind", kSacnKindNames[kind]}},
                           scan.sacnKinds[static_cast<std::size_t>(kind)]);
    }
    for (int kind = 0; kind < kArtNetKindCount; ++kind) {
        appendMetricSample(out, kName, {{"port", "6454"}, {"kind", kArtNetKindNames[kind]}},
                           scan.artNetKinds[static_cast<std::size_t>(kind)]);
    }
    constexpr std::string_view kUntracked = "lumibox_untracked_datagrams_total";
    appendMetricFamily(out, kUntracked, MetricType::Counter,
                       "Datagrams counted by kind only, because their table was full.");
    appendMetricSample(out, kUntracked, {{"table", "sacn_sources"}}, scan.sacn.untracked);
    appendMetricSample(out, kUntracked, {{"table", "sacn_sync"}}, scan.sync.untracked);
    appendMetricSample(out, kUntracked, {{"table", "sacn_discovery"}}, scan.discovery.untracked);
    appendMetricSample(out, kUntracked, {{"table", "artnet_senders"}}, scan.artNet.untracked);
    appendMetricSample(out, kUntracked, {{"table", "artnet_nodes"}}, scan.nodes.untracked);
    appendMetricSample(out, kUntracked, {{"table", "artnet_op_codes"}}, scan.otherOpCodesUntracked);
}

}  // namespace

std::string scanMetricsText(const ScanEngine& scan, const ScanMetricsContext& context, uint64_t nowUs) {
    std::string out;
    out.reserve(4096 + scan.sacn.records.size() * 4000);
    appendMetricFamily(out, "lumibox_build_info", MetricType::Gauge, "The program's version; always 1.");
    appendMetricSample(out, "lumibox_build_info", {{"version", context.version}}, 1);
    const std::vector<std::string> labels = sacnSourceLabels(scan);
    sacnSources(out, scan, labels, nowUs);
    packetIntervals(out, scan, labels);
    sourcesPerUniverse(out, scan, nowUs);
    sacnSync(out, scan);
    sacnDiscovery(out, scan);
    artNetSenders(out, scan);
    artNetNodes(out, scan, nowUs);
    datagramKinds(out, scan);
    events(out, scan);
    if (context.dropsKnown) {
        appendMetricFamily(out, "lumibox_receive_drops_total", MetricType::Counter,
                           "Datagrams the system dropped because a receive queue of the scan was full.");
        appendMetricSample(out, "lumibox_receive_drops_total", {}, context.receiveDrops);
    }
    return out;
}
