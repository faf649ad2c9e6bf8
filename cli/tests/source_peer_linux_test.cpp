// --source through the real binary in a second namespace (10.79.0.2) across a veth pair,
// read on this side (10.79.0.1) by programs we did not write: tshark's dissectors, npm
// sacn's and npm dmxnet's receivers, and by our own --scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/tests/tshark_capture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;
const std::string kSource = LUMIBOX_SOURCE_DIR;
using nlohmann::json;

// The peer namespace, held by a sleeping process; commands enter it with nsenter.
struct PeerNamespace {
    RunningBinary holder = startBinary("/usr/bin/unshare", {"-n", "sleep", "600"});
    std::string enter = "--net=/proc/" + std::to_string(holder.pid) + "/ns/net";
    bool ready = false;

    PeerNamespace() {
        waitFor([&] { return readWholeFile("/proc/" + std::to_string(holder.pid) + "/cmdline").starts_with("sleep"); }, 2000);
        ready = std::system(("ip link add soa type veth peer name sob netns " + enter.substr(6) +
                             " && ip addr add 10.79.0.1/24 broadcast 10.79.0.255 dev soa && ip link set soa up"
                             " && nsenter " + enter + " sh -c 'ip link set lo up && ip link set sob up &&"
                             " ip addr add 10.79.0.2/24 broadcast 10.79.0.255 dev sob && ip route add 224.0.0.0/4 dev sob'")
                                .c_str()) == 0;
    }
    ~PeerNamespace() {
        signalBinary(holder, SIGKILL);
        waitForExit(holder, 5000);
    }
    int run(std::vector<std::string> args) const {
        args.insert(args.begin(), {enter, kBinary, "--source", "--local", "10.79.0.2", "--slots", "24", "--pattern",
                                   "levels:1=11,2=22,24=240"});
        return runBinary("/usr/bin/nsenter", args, 20000);
    }
};

// A receiver of tools/peer-receive.js on this side, ready once it said so.
struct NodeReceiver {
    std::string out = makeTempDirectory() + "/got.txt";
    RunningBinary process;
    NodeReceiver(const char* protocol, const char* universes, const char* count = "") {
        ChildOptions options;
        options.outputPath = out;
        process = startBinary("/usr/bin/env", {"NODE_PATH=" + kSource + "/build-npm/node_modules", "/usr/bin/node",
                                               kSource + "/tools/peer-receive.js", protocol, universes, "10.79.0.1", count},
                              options);
        EXPECT_TRUE(waitFor([&] { return readWholeFile(out).starts_with("ready"); }, 10000));
    }
    json result() {
        EXPECT_EQ(waitForExit(process, 30000), 0);
        const std::string text = readWholeFile(out);
        return json::parse(text.substr(text.find('\n') + 1), nullptr, false);
    }
};

// Every row's fields; a packet tshark could not dissect whole shows in _ws.malformed.
using Rows = std::vector<std::vector<std::string>>;
std::size_t countRows(const Rows& rows, std::size_t column, const std::string& value) {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const auto& r) { return r.size() > column && r[column] == value; }));
}

const std::vector<int> kLevels = [] {
    std::vector<int> levels(24, 0);
    levels[0] = 11, levels[1] = 22, levels[23] = 240;
    return levels;
}();

}  // namespace

TEST(SourcePeers, SacnAsTsharkNpmSacnAndAScanReadIt) {
    PeerNamespace peer;
    ASSERT_TRUE(peer.ready) << "no second namespace with a veth pair here";
    const std::string dir = makeTempDirectory();
    NodeReceiver npm("sACN", "1,2,3");
    TsharkCapture wire = startTsharkCapture("soa", 60);
    // The scan ends while the source still sends, so that its synchronisation is arriving.
    RunningBinary scan = startBinary(kBinary, {"--scan", "--local", "10.79.0.1", "--universes", "1-3,7000", "--levels",
                                               "--listen-ms", "2500", "--output", dir + "/scan.json"});
    ASSERT_TRUE(waitFor([] { return hostIsMemberOf("239.255.27.88"); }));
    ASSERT_EQ(peer.run({"--universes", "1-3", "--priority", "120", "--per-address", "1-23=150", "--sync", "7000",
                        "--discovery", "--name", "Peer", "--cid", "c1d00000-0000-4000-8000-000000000001", "--duration",
                        "4000", "--output", dir + "/summary.json"}),
              0);
    ASSERT_TRUE(finishTsharkCapture(wire)) << readWholeFile(wire.log);

    // tshark 4.0 dissects E1.31 data (levels and 0xDD) but not synchronisation or discovery:
    // those show as UDP of their length to their group, and nothing is malformed.
    const Rows rows = dissectFields(wire, "-e ip.dst -e udp.length -e acn.dmx.universe -e acn.dmx.start_code2 "
                                          "-e acn.dmx.priority -e acn.dmx.source_name -e acn.dmx.count -e acn.dmx.seq_number "
                                          "-e acn.dmx.options -e _ws.malformed");
    ASSERT_EQ(rows.size(), 60u);
    std::map<std::string, int> lastSequence;
    for (const auto& r : rows) {
        ASSERT_GE(r.size(), 9u);
        EXPECT_EQ(r.size() > 9 ? r[9] : "", "") << "malformed";
        if (r[0] == "239.255.27.88" || r[0] == "239.255.250.214") {
            EXPECT_EQ(r[1], r[0] == "239.255.27.88" ? "57" : "134") << "sync 49 bytes, discovery of 3 universes 126";
            continue;
        }
        EXPECT_EQ(r[0], "239.255.0." + r[2]);
        EXPECT_EQ(r[4], "120");
        EXPECT_EQ(r[5], "Peer");
        EXPECT_EQ(r[6], "25");
        EXPECT_EQ(r[8], "0");
        const int sequence = std::stoi(r[7]);
        EXPECT_EQ(sequence, lastSequence.count(r[2]) ? lastSequence[r[2]] + 1 : 1) << "universe " << r[2];
        lastSequence[r[2]] = sequence;
    }
    EXPECT_EQ(countRows(rows, 3, "221"), 3u) << "per-address priorities before the first levels";
    EXPECT_EQ(countRows(rows, 0, "239.255.250.214"), 1u);
    EXPECT_GE(countRows(rows, 0, "239.255.27.88"), 12u);

    const json got = npm.result();
    for (const char* u : {"1", "2", "3"}) {
        ASSERT_TRUE(got["got"].contains(u)) << got.dump();
        EXPECT_EQ(got["got"][u]["levels"], kLevels);
        EXPECT_EQ(got["got"][u]["priority"], 120);
        EXPECT_EQ(got["got"][u]["sourceName"], "Peer");
        EXPECT_EQ(got["got"][u]["terminated"], 3) << "three stream-terminated packets at the end";
    }

    ASSERT_EQ(waitForExit(scan, 10000), 0);
    const json doc = json::parse(readWholeFile(dir + "/scan.json"));
    ASSERT_EQ(doc["sacnSources"].size(), 3u);
    for (const json& s : doc["sacnSources"]) {
        EXPECT_EQ(s["cid"], "c1d00000-0000-4000-8000-000000000001");
        EXPECT_EQ(s["priority"], 120);
        EXPECT_TRUE(s["syncArriving"]);
        EXPECT_GE(s["perAddressPriorityPackets"], 1);
        EXPECT_EQ(s["sequenceErrors"], 0);
    }
    ASSERT_EQ(doc["universes"].size(), 3u);
    const json& merged = doc["universes"][0];
    // Per-address priority 0: no source drives slot 24, so the merged universe ends before it.
    EXPECT_EQ(merged["levels"], std::vector<int>(kLevels.begin(), kLevels.end() - 1));
    EXPECT_TRUE(merged["syncArriving"]);
    EXPECT_EQ(merged["sources"][0]["perAddressPriorities"][22], 150);
    EXPECT_EQ(merged["sources"][0]["perAddressPriorities"][23], 0);
    EXPECT_EQ(doc["sacnDiscovery"][0]["universes"], json::array({1, 2, 3}));
    EXPECT_EQ(doc["sacnSync"][0]["syncUniverse"], 7000);

    const json summary = json::parse(readWholeFile(dir + "/summary.json"));
    EXPECT_EQ(summary["terminatedPackets"], 9);
    EXPECT_EQ(summary["datagramsNotSent"], 0);
}

TEST(SourcePeers, ArtNetAsTsharkAndDmxnetReadIt) {
    PeerNamespace peer;
    ASSERT_TRUE(peer.ready) << "no second namespace with a veth pair here";
    NodeReceiver dmxnet("Art-Net", "0,300", "10");
    TsharkCapture wire = startTsharkCapture("soa", 20);
    ASSERT_EQ(peer.run({"--protocol", "Art-Net", "--universes", "0,300", "--sync", "1", "--duration", "1500"}), 0);
    ASSERT_TRUE(finishTsharkCapture(wire)) << readWholeFile(wire.log);
    const Rows rows = dissectFields(wire, "-e ip.dst -e artnet.header.opcode -e artnet.output.universe "
                                          "-e artnet.output.length -e artnet.output.sequence -e _ws.malformed");
    ASSERT_EQ(rows.size(), 20u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_GE(rows[i].size(), 2u);
        EXPECT_EQ(rows[i][0], "10.79.0.255") << "the directed broadcast of --local's interface";
        EXPECT_EQ(rows[i].size() > 5 ? rows[i][5] : "", "") << "malformed";
        if (i % 3 == 2) {
            EXPECT_EQ(rows[i][1], "0x5200") << "an ArtSync after each frame, row " << i;
            continue;
        }
        ASSERT_GE(rows[i].size(), 5u) << i;
        EXPECT_EQ(rows[i][1], "0x5000");
        EXPECT_EQ(rows[i][2], i % 3 == 0 ? "0" : "300");
        EXPECT_EQ(rows[i][3], "24");
        EXPECT_EQ(rows[i][4], std::to_string(i / 3 + 1));
    }
    const json got = dmxnet.result();
    for (const char* u : {"0", "300"}) {
        ASSERT_TRUE(got["got"].contains(u)) << got.dump();
        EXPECT_EQ(got["got"][u]["levels"], kLevels);
    }
}

TEST(SourcePeers, AStopSignalEndsTheStreamsWithExitCodeZero) {
    const Peer receiver("127.0.0.1", kSacnPort);
    const std::string summary = makeTempDirectory() + "/summary.json";
    // Few small datagrams, so that the receiver's queue holds all of them however late it reads.
    RunningBinary source = startBinary(kBinary, {"--source", "--universes", "1-3", "--local", "127.0.0.1", "--target",
                                                 "127.0.0.1", "--rate", "10", "--slots", "1", "--output", summary});
    ASSERT_TRUE(waitFor([&] { return !receiver.next().empty(); }, 10000)) << "the source sends";
    signalBinary(source, SIGTERM);
    ASSERT_EQ(waitForExit(source, 10000), 0);
    std::vector<uint8_t> datagram;
    int terminated = 0;
    while (!(datagram = receiver.next()).empty()) {
        terminated += datagram.size() > kSacnOptionsOffset && (datagram[kSacnOptionsOffset] & kSacnOptionStreamTerminated);
    }
    EXPECT_EQ(terminated, 9);
    const json got = json::parse(readWholeFile(summary));
    EXPECT_EQ(got["stoppedBy"], "signal");
    EXPECT_EQ(got["terminatedPackets"], 9);
}
