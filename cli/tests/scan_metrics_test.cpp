// /metrics without sockets: datagrams into the scan engine, the exposition out, checked
// line by line and by Prometheus's own promtool.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "cli/scan_metrics.h"
#include "core/metrics_text.h"
#include "core/tests/run_binary.h"
#include "core/tests/scan_packets.h"

using namespace scan_packets;

namespace {

constexpr uint64_t kStartUs = 1000000;
Ipv4Address address(uint8_t last) { return Ipv4Address{{10, 77, 0, last}}; }

struct ScanMetricsTest : ::testing::Test {
    ScanEngine scan;
    void SetUp() override { startScan(scan, kStartUs); }
    void take(DmxProtocol port, const std::vector<uint8_t>& packet, uint8_t from, uint64_t atMs) {
        takeScanDatagram(scan, port, packet.data(), packet.size(), address(from), kStartUs + atMs * 1000);
    }
    std::string metricsAt(uint64_t atMs) const {
        return scanMetricsText(scan, {"9.9.9", true, 7}, kStartUs + atMs * 1000);
    }
};

SacnData source(uint16_t universe, uint8_t cidSeed, uint8_t priority = 100, std::string name = "Scan test source",
                uint8_t options = 0) {
    SacnData s;
    s.universe = universe;
    s.cid = cidOf(cidSeed);
    s.priority = priority;
    s.name = std::move(name);
    s.options = options;
    return s;
}

bool hasLine(const std::string& text, const std::string& line) { return text.find('\n' + line + '\n') != std::string::npos; }

// Prometheus's own reading of the exposition; its linter's complaints fail the check too.
void expectPromtoolAccepts(const std::string& text) {
    const std::string path = makeTempDirectory() + "/metrics.txt";
    std::ofstream(path) << text;
    const BinaryRun run = runBinaryCapturing("/bin/sh", {"-c", "/usr/bin/promtool check metrics < " + path});
    EXPECT_EQ(run.exitCode, 0) << run.standardOutput << run.standardError;
    EXPECT_EQ(run.standardOutput + run.standardError, "");
}

}  // namespace

TEST(MetricLabelValue, EscapedAsTheFormatRequires) {
    struct Case { std::string value, written; };
    const Case cases[] = {
        {"Desk A", "Desk A"},
        {"back\\slash", "back\\\\slash"},
        {"say \"go\"", "say \\\"go\\\""},
        {"two\nlines", "two\\nlines"},
        {"tab\tstays", "tab\tstays"},
        {"Bühne", "Bühne"},
        {std::string("bad \xC3\x28 byte"), "bad \xEF\xBF\xBD( byte"},  // invalid UTF-8 becomes U+FFFD
        {std::string("cut \xE2\x82"), "cut \xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        std::string out;
        appendMetricLabelValue(out, c.value);
        EXPECT_EQ(out, c.written) << c.value;
    }
}

TEST_F(ScanMetricsTest, SeriesOfEverySourceSenderAndNodeWithTheirCounts) {
    SacnData desk = source(1, 1, 120, "Desk \"A\" \\ main");
    const SacnData backup = source(1, 2, 90, "Backup");
    for (int i = 0; i < 4; ++i) {
        desk.sequence = static_cast<uint8_t>(i < 3 ? i + 1 : 6);  // 4 and 5 skipped
        take(DmxProtocol::Sacn, sacnData(desk), 2, static_cast<uint64_t>(i) * 25);
    }
    desk.sequence = 2;  // behind: out of order
    take(DmxProtocol::Sacn, sacnData(desk), 2, 130);
    take(DmxProtocol::Sacn, sacnData(backup), 3, 10);
    take(DmxProtocol::ArtNet, artDmx(0x0102, 1), 4, 20);
    take(DmxProtocol::ArtNet, artDmx(0x0102, 2), 4, 40);
    take(DmxProtocol::ArtNet, artPollReply({}), 6, 50);
    take(DmxProtocol::ArtNet, artNetHeader(14, 0x2000), 5, 60);  // an ArtPoll: another OpCode

    const std::string text = metricsAt(1000);
    const std::string deskLabels = "universe=\"1\",cid=\"" + std::string("10111213-1415-1617-1819-1a1b1c1d1e1f") +
                                   "\",source_name=\"Desk \\\"A\\\" \\\\ main\",sender=\"10.77.0.2\"";
    const std::string backupLabels =
        "universe=\"1\",cid=\"20212223-2425-2627-2829-2a2b2c2d2e2f\",source_name=\"Backup\",sender=\"10.77.0.3\"";
    const std::string nodeLabels = "ip=\"10.77.0.6\",bind_index=\"1\",short_name=\"Test node\",sender=\"10.77.0.6\"";
    const std::string expected[] = {
        "lumibox_build_info{version=\"9.9.9\"} 1",
        "lumibox_sacn_packets_total{" + deskLabels + "} 5",  // the late one was received all the same
        "lumibox_sacn_packets_total{" + backupLabels + "} 1",
        "lumibox_sacn_sequence_errors_total{" + deskLabels + "} 1",
        "lumibox_sacn_skipped_sequence_numbers_total{" + deskLabels + "} 2",
        "lumibox_sacn_source_up{" + deskLabels + "} 1",
        "lumibox_sacn_priority{" + deskLabels + "} 120",
        "lumibox_sacn_priority{" + backupLabels + "} 90",
        "lumibox_sacn_slots{" + deskLabels + "} 512",
        "lumibox_sacn_sources{universe=\"1\"} 2",
        "lumibox_artnet_packets_total{universe=\"258\",sender=\"10.77.0.4\"} 2",
        "lumibox_artnet_node_up{" + nodeLabels + "} 1",
        "lumibox_artnet_node_replies_total{" + nodeLabels + "} 1",
        "lumibox_datagrams_total{port=\"5568\",kind=\"levels\"} 6",
        "lumibox_datagrams_total{port=\"6454\",kind=\"other_op_code\"} 1",
        "lumibox_receive_drops_total 7",
        "lumibox_sacn_packet_interval_seconds_bucket{" + deskLabels + ",le=\"0.025\"} 3",  // 25 ms three times, then 55
        "lumibox_sacn_packet_interval_seconds_bucket{" + deskLabels + ",le=\"+Inf\"} 4",
        "lumibox_sacn_packet_interval_seconds_sum{" + deskLabels + "} 0.13",
        "lumibox_events_total{kind=\"sourceAppeared\"} 2",
        "lumibox_events_total{kind=\"sequenceErrors\"} 1",
        "lumibox_events_total{kind=\"nodeAppeared\"} 1",
    };
    for (const std::string& line : expected) EXPECT_TRUE(hasLine(text, line)) << line << "\nin\n" << text;
    expectPromtoolAccepts(text);
}

TEST_F(ScanMetricsTest, LostSourcesGoDownAndDroppedOnesDisappear) {
    take(DmxProtocol::Sacn, sacnData(source(7, 1)), 2, 0);
    take(DmxProtocol::Sacn, sacnData(source(7, 2, 100, "Ending", 0x40)), 3, 0);  // terminated
    take(DmxProtocol::ArtNet, artPollReply({}), 6, 0);

    const std::string live = metricsAt(2000);
    EXPECT_NE(live.find("lumibox_sacn_source_up{universe=\"7\",cid=\"10111213"), std::string::npos);
    EXPECT_TRUE(hasLine(live, "lumibox_sacn_sources{universe=\"7\"} 1"));  // the terminated one is not live
    const std::string lost = metricsAt(2600);  // 2.5 s without level data
    EXPECT_TRUE(hasLine(lost, "lumibox_sacn_sources{universe=\"7\"} 0"));
    EXPECT_EQ(lost.find("lumibox_sacn_source_up{universe=\"7\"} 1"), std::string::npos);
    EXPECT_EQ(lost.find("} 1\nlumibox_sacn_source_up"), std::string::npos);
    const std::string gone = metricsAt(10000);
    EXPECT_NE(gone.find("lumibox_artnet_node_up{ip=\"10.77.0.6\",bind_index=\"1\",short_name=\"Test node\",sender=\"10.77.0.6\"} 0"),
              std::string::npos);

    expireScan(scan, kStartUs + 60000000);  // a minute of silence drops every record
    const std::string dropped = metricsAt(60000);
    for (const char* series : {"lumibox_sacn_packets_total{", "lumibox_sacn_source_up{", "lumibox_sacn_sources{",
                               "lumibox_artnet_node_up{"}) {
        EXPECT_EQ(dropped.find(series), std::string::npos) << series;
    }
    EXPECT_TRUE(hasLine(dropped, "lumibox_datagrams_total{port=\"5568\",kind=\"levels\"} 2"));  // kind counters keep rising
    expectPromtoolAccepts(dropped);
}
