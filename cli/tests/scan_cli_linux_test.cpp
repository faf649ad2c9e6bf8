// --scan through the real binary across a veth pair: the scan in the test's private
// namespace (10.77.0.1), the sources, an Art-Net sender and a node that answers ArtPoll
// in a second namespace made by this test (10.77.0.2 to .6), so that every datagram
// really crosses an interface. Nothing leaves the two namespaces.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "core/tests/scan_packets.h"
#include "net/dmx/receive_endpoint.h"
#include "net/socket/socket_layer.h"
#include "core/tests/run_binary.h"

using namespace scan_packets;
using nlohmann::json;

namespace {

const std::string kBinary = LUMIBOX_BINARY;

Ipv4Address ip(const char* text) {
    Ipv4Address a;
    EXPECT_TRUE(parseIpv4(text, a)) << text;
    return a;
}

// The second namespace, reached by switching this thread into it while sockets are made;
// a socket stays in the namespace it was made in.
struct PeerNamespace {
    int own = -1;
    int peer = -1;
    bool ready = false;

    bool enter() const { return setns(peer, CLONE_NEWNET) == 0; }
    bool leave() const { return setns(own, CLONE_NEWNET) == 0; }

    bool make() {
        own = open("/proc/self/ns/net", O_RDONLY);  // inherited by `ip`, which finds it by path
        if (own < 0 || unshare(CLONE_NEWNET) != 0) return false;
        peer = open("/proc/self/ns/net", O_RDONLY);
        if (peer < 0 || !leave()) return false;
        const std::string peerPath = "/proc/self/fd/" + std::to_string(peer);
        if (std::system(("ip link add lbsa type veth peer name lbsb netns " + peerPath + " && "
                         "ip addr add 10.77.0.1/24 broadcast 10.77.0.255 dev lbsa && ip link set lbsa up")
                            .c_str()) != 0)
            return false;
        if (!enter()) return false;
        const int rc = std::system(
            "ip link set lo up && ip link set lbsb up && "
            "for a in 2 3 4 5 6; do ip addr add 10.77.0.$a/24 broadcast 10.77.0.255 dev lbsb || exit 1; done && "
            "ip route add 224.0.0.0/4 dev lbsb");
        ready = leave() && rc == 0;
        return ready;
    }
    ~PeerNamespace() {
        std::system("ip link del lbsa 2>/dev/null");
        if (peer >= 0) close(peer);
        if (own >= 0) close(own);
    }
};

PeerNamespace* peers = nullptr;

// A socket in the peer namespace, bound to one of its addresses.
struct PeerSocket {
    SocketHandle handle = kInvalidSocket;
    explicit PeerSocket(const char* address, uint16_t port = 0) {
        if (!peers->enter()) return;
        handle = openUdpSocket();
        setReuseAddress(handle, true);
        setBroadcast(handle, true);
        EXPECT_TRUE(bindSocket(handle, ip(address), port)) << address;
        EXPECT_TRUE(peers->leave());
        setReceiveTimeout(handle, 100);
    }
    ~PeerSocket() { closeSocket(handle); }
    void send(const std::vector<uint8_t>& packet, const char* to, uint16_t port) const {
        EXPECT_EQ(sendDatagram(handle, packet.data(), packet.size(), ip(to), port), static_cast<long>(packet.size())) << to;
    }
};

std::string groupOf(int universe) { return "239.255." + std::to_string(universe >> 8) + "." + std::to_string(universe & 0xFF); }

// Whether /proc/net/igmp lists the universe's group under the device: a device line, then
// one indented line per group, the address as a little-endian word in hexadecimal.
bool isMemberOn(const std::string& device, int universe) {
    char word[16];
    std::snprintf(word, sizeof word, "%02X%02X%02XEF", universe & 0xFF, universe >> 8, 255);
    std::istringstream lines(readWholeFile("/proc/net/igmp"));
    std::string line, current;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (!line.empty() && line[0] != '\t' && line[0] != ' ') {
            current = second;
        } else if (current == device && first == word) {
            return true;
        }
    }
    return false;
}

// IPv4 and IPv6 sockets of the port: the scan's shared sockets are IPv6 ones.
int portSockets(uint16_t port) {
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, ":%04X ", port);
    const std::string table = readWholeFile("/proc/net/udp") + readWholeFile("/proc/net/udp6");
    int count = 0;
    for (std::size_t at = table.find(wanted); at != std::string::npos; at = table.find(wanted, at + 1)) ++count;
    return count;
}

const json* findSource(const json& doc, const Cid& cid, int universe) {
    std::string text;
    for (std::size_t i = 0; i < cid.size(); ++i) {
        static const char* hex = "0123456789abcdef";
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += hex[cid[i] >> 4];
        text += hex[cid[i] & 15];
    }
    for (const json& s : doc["sacnSources"]) {
        if (s["cid"] == text && s["universe"] == universe) return &s;
    }
    return nullptr;
}

struct ScanCli : ::testing::Test {
    static void SetUpTestSuite() {
        peers = new PeerNamespace;
        peers->make();
    }
    static void TearDownTestSuite() {
        delete peers;
        peers = nullptr;
    }
    void SetUp() override {
        if (!peers->ready) GTEST_SKIP() << "no second namespace with a veth pair here";
    }
};

// Answers the first ArtPoll that reaches it with one ArtPollReply per address it reports,
// as a node does (one host may answer for several addresses), from a thread of its own.
using ReportedAddresses = std::vector<std::array<uint8_t, 4>>;
void answerOnePoll(const PeerSocket& node, std::atomic<bool>& answered, std::atomic<bool>& stop, ReportedAddresses reported) {
    uint8_t buffer[1500];
    while (!stop && !answered) {
        Ipv4Address from;
        const long n = receiveDatagramFrom(node.handle, buffer, sizeof buffer, from);
        if (n < 10 || buffer[8] != 0x00 || buffer[9] != 0x20) continue;
        if (!peers->enter()) return;  // the replies leave from the node's address, 10.77.0.6
        const SocketHandle replier = openUdpSocket();
        setReuseAddress(replier, true);
        const bool bound = bindSocket(replier, Ipv4Address{{10, 77, 0, 6}}, kArtNetPort);
        peers->leave();
        PollReply reply;
        for (const auto& ip : reported) {
            reply.ip = ip;
            const std::vector<uint8_t> bytes = artPollReply(reply);
            if (bound) sendDatagram(replier, bytes.data(), bytes.size(), from, kArtNetPort);
        }
        closeSocket(replier);
        answered = true;
    }
}

struct AnsweringNode {
    PeerSocket socket{"0.0.0.0", kArtNetPort};  // hears the broadcast poll
    std::atomic<bool> answered{false}, stop{false};
    std::thread thread;
    explicit AnsweringNode(ReportedAddresses reported)
        : thread(answerOnePoll, std::cref(socket), std::ref(answered), std::ref(stop), std::move(reported)) {}
    void finish() {
        stop = true;
        if (thread.joinable()) thread.join();
    }
    ~AnsweringNode() { finish(); }
};

// Calls sendRound every 20 ms until the scan ends (at most 400 rounds), so that nothing
// it sends is lost, then waits up to waitMs for the end.
std::optional<int> sendUntilEnded(RunningBinary& scan, const std::function<void(int)>& sendRound, int waitMs) {
    std::optional<int> exitCode;
    for (int i = 0; i < 400 && !exitCode; ++i) {
        sendRound(i);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        exitCode = exitCodeIfEnded(scan);
    }
    return exitCode ? exitCode : waitForExit(scan, waitMs);
}

// Each key of expected, compared with the same key of record.
void expectFields(const json& record, const json& expected) {
    for (const auto& [key, value] : expected.items()) EXPECT_EQ(record.contains(key) ? record[key] : json(), value) << key;
}

// The lines of a --follow file, each parsed; stops at a line that does not parse.
std::vector<json> followLines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        json parsed = json::parse(line, nullptr, false);
        if (parsed.is_discarded()) break;
        lines.push_back(std::move(parsed));
    }
    return lines;
}

}  // namespace

TEST_F(ScanCli, SourcesNodesAndOtherTrafficOnOneInterface) {
    const std::string dir = makeTempDirectory();
    const std::string output = dir + "/scan.json";
    PeerSocket deskA("10.77.0.2"), backupB("10.77.0.3"), sourceC("10.77.0.4"), artNet("10.77.0.5");
    AnsweringNode node(ReportedAddresses{{10, 77, 0, 6}});

    RunningBinary scan = startBinary(kBinary, {"--scan", "--local", "10.77.0.1", "--universes", "1-3,7", "--listen-ms", "6000",
                                               "--poll", "--output", output});
    ASSERT_TRUE(waitFor([] { return isMemberOn("lbsa", 7); })) << "groups joined on the interface of --local";
    EXPECT_TRUE(waitFor([&] { return node.answered.load(); })) << "the node heard the poll on the directed broadcast";

    SacnData a;
    a.cid = cidOf(1);
    a.name = "Desk A";
    a.syncUniverse = 7;
    SacnData b;
    b.cid = cidOf(2);
    b.name = "Backup \xE2\x98\x83";
    b.priority = 50;
    SacnData c;
    c.cid = cidOf(3);
    c.universe = 3;
    c.priority = 200;
    c.slots = 24;
    const int cSequences[] = {1, 2, 3, 6, 7, 8, 5};  // 4 and 5 skipped, then 5 late
    deskA.send(sacnDiscovery(a.cid, "Desk A", 0, 0, {1, 2}), groupOf(64214).c_str(), kSacnPort);
    for (int i = 0; i < 13; ++i) {
        a.sequence = static_cast<uint8_t>(i + 1);
        a.universe = 1;
        deskA.send(sacnData(a), groupOf(1).c_str(), kSacnPort);
        a.universe = 2;
        deskA.send(sacnData(a), groupOf(2).c_str(), kSacnPort);
        a.universe = 5;  // not asked for: must not be heard
        deskA.send(sacnData(a), groupOf(5).c_str(), kSacnPort);
        if (i < 5) deskA.send(sacnSync(a.cid, static_cast<uint8_t>(i + 1), 7), groupOf(7).c_str(), kSacnPort);
        b.sequence = static_cast<uint8_t>(i + 1);
        b.options = i >= 10 ? kSacnOptionStreamTerminated : 0;
        backupB.send(sacnData(b), groupOf(1).c_str(), kSacnPort);
        if (i < 7) {
            c.sequence = static_cast<uint8_t>(cSequences[i]);
            sourceC.send(sacnData(c), "10.77.0.1", kSacnPort);
        }
        artNet.send(artDmx(0x0101, static_cast<uint8_t>(i + 1)), "10.77.0.255", kArtNetPort);
        if (i < 5) artNet.send(artDmx(3, 0, 2), "10.77.0.1", kArtNetPort);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SacnData dd = a;
    dd.universe = 1;
    dd.startCode = 0xDD;
    for (int i = 0; i < 2; ++i) {
        dd.sequence = static_cast<uint8_t>(14 + i);
        deskA.send(sacnData(dd), groupOf(1).c_str(), kSacnPort);
    }
    deskA.send({'h', 'e', 'l', 'l', 'o'}, "10.77.0.1", kSacnPort);
    artNet.send(artNetHeader(14, 0x5200), "10.77.0.1", kArtNetPort);
    const std::optional<int> exitCode = sendUntilEnded(scan, [&](int i) {  // universe 2 goes on
        a.universe = 2;
        a.sequence = static_cast<uint8_t>(14 + i);
        deskA.send(sacnData(a), groupOf(2).c_str(), kSacnPort);
    }, 5000);
    node.finish();
    ASSERT_EQ(exitCode, 0);

    const json doc = json::parse(readWholeFile(output));
    expectFields(doc, json::parse(R"({"local":"10.77.0.1", "joinedUniverses":4, "schemaVersion":2, "interfaces":["10.77.0.1"],
                                      "artPoll":{"targets":["10.77.0.255"],"rounds":1,"sent":true}})"));

    const json* a1 = findSource(doc, cidOf(1), 1);
    ASSERT_NE(a1, nullptr) << doc.dump();
    expectFields(*a1, {{"sender", "10.77.0.2"}, {"sourceName", "Desk A"}, {"priority", 100}, {"packets", 13},
                       {"perAddressPriorityPackets", 2}, {"syncUniverse", 7}, {"sequenceErrors", 0}, {"slotCount", 512}});
    EXPECT_GT((*a1)["rate"].get<double>(), 0);
    const json* a2 = findSource(doc, cidOf(1), 2);
    ASSERT_NE(a2, nullptr);
    EXPECT_GE((*a2)["packets"].get<int>(), 14);
    EXPECT_EQ((*a2)["lost"], false) << "sent until the end";
    EXPECT_EQ((*a2)["sequenceErrors"], 0);
    EXPECT_EQ(findSource(doc, cidOf(1), 5), nullptr) << "a group that was not joined";

    const json* b1 = findSource(doc, cidOf(2), 1);
    ASSERT_NE(b1, nullptr);
    expectFields(*b1, {{"sender", "10.77.0.3"}, {"sourceName", "Backup \xE2\x98\x83"}, {"priority", 50}, {"packets", 13},
                       {"streamTerminated", true}, {"lost", true}});

    const json* c3 = findSource(doc, cidOf(3), 3);
    ASSERT_NE(c3, nullptr);
    expectFields(*c3, {{"sender", "10.77.0.4"}, {"priority", 200}, {"packets", 7}, {"sequenceErrors", 1},
                       {"skippedSequenceNumbers", 2}, {"slotCount", 24}});

    ASSERT_EQ(doc["sacnSync"].size(), 1u);
    expectFields(doc["sacnSync"][0], {{"syncUniverse", 7}, {"packets", 5}});
    ASSERT_EQ(doc["sacnDiscovery"].size(), 1u);
    expectFields(doc["sacnDiscovery"][0], json::parse(R"({"universes":[1,2], "sourceName":"Desk A"})"));

    ASSERT_EQ(doc["artNetSenders"].size(), 2u) << doc["artNetSenders"].dump();
    expectFields(doc["artNetSenders"][0], {{"portAddress", 3}, {"packets", 5}, {"sequenced", false}, {"slotCount", 2}});
    expectFields(doc["artNetSenders"][1], {{"sender", "10.77.0.5"}, {"portAddress", 257}, {"net", 1}, {"subNet", 0},
                                           {"universe", 1}, {"packets", 13}, {"sequenced", true}, {"sequenceErrors", 0}});

    ASSERT_EQ(doc["artNetNodes"].size(), 1u);
    expectFields(doc["artNetNodes"][0], json::parse(R"({"ip":"10.77.0.6","shortName":"Test node",
        "longName":"Scan test node with two outputs", "inputs":[], "styleName":"StNode",
        "outputs":[{"port":0,"portAddress":0,"net":0,"subNet":0,"universe":0},
                   {"port":1,"portAddress":1,"net":0,"subNet":0,"universe":1}]})"));

    EXPECT_EQ(doc["otherDatagrams"]["sacn"]["notE131"], 1);
    EXPECT_EQ(doc["otherDatagrams"]["artNet"]["opCodes"], json::parse(R"([{"opCode":20992,"packets":1}])"))
        << "ArtSync; the scan's own ArtPoll is not counted";
}

TEST_F(ScanCli, EveryInterfaceWithMoreGroupsThanOneSocketHolds) {
    const std::string dir = makeTempDirectory();
    // The limited broadcast of --poll leaves by the default route; here it leads to the peers.
    ASSERT_EQ(std::system("ip route add default dev lbsa"), 0);
    PeerSocket source("10.77.0.2");
    AnsweringNode node(ReportedAddresses{{10, 77, 0, 6}});

    RunningBinary scan = startBinary(kBinary, {"--scan", "--universes", "1-600", "--listen-ms", "5000", "--poll"}, dir);
    const bool joined = waitFor([] { return isMemberOn("lbsa", 600) && isMemberOn("lo", 600); });
    // 601 groups on two interfaces at 20 memberships a socket, and the Art-Net socket.
    const int sacnSockets = portSockets(kSacnPort);
    SacnData s;
    s.cid = cidOf(7);
    for (int universe = 1; joined && universe <= 600; ++universe) {
        s.universe = static_cast<uint16_t>(universe);
        source.send(sacnData(s), groupOf(universe).c_str(), kSacnPort);
        if (universe % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const int exitCode = waitForExit(scan, 10000);
    node.finish();
    std::system("ip route del default dev lbsa");
    ASSERT_TRUE(joined);
    EXPECT_GE(sacnSockets, 61);
    ASSERT_EQ(exitCode, 0);

    const json doc = json::parse(readWholeFile(dir + "/dmx-scan.json"));
    EXPECT_EQ(doc["local"], "0.0.0.0");
    EXPECT_EQ(doc["joinedUniverses"], 600);
    EXPECT_EQ(doc["artPoll"], json::parse(R"({"targets":["10.77.0.255","255.255.255.255"],"rounds":1,"sent":true})"))
        << "the directed broadcast of every interface that has one";
    ASSERT_EQ(doc["sacnSources"].size(), 600u);
    for (int universe = 1; universe <= 600; ++universe) {
        const json& r = doc["sacnSources"][static_cast<std::size_t>(universe - 1)];
        EXPECT_EQ(r["universe"], universe);
        EXPECT_EQ(r["packets"], 1) << "once, though the group is joined on two interfaces";
    }
    ASSERT_EQ(doc["artNetNodes"].size(), 1u);
    EXPECT_EQ(doc["artNetNodes"][0]["sender"], "10.77.0.6") << "replies from the node's own address";
}

TEST_F(ScanCli, AnnouncedUniversesAreJoinedAndOneHostAnsweringForTwoAddressesIsTwoNodes) {
    const std::string dir = makeTempDirectory();
    PeerSocket desk("10.77.0.2"), backup("10.77.0.3");
    AnsweringNode node(ReportedAddresses{{10, 77, 0, 6}, {10, 77, 0, 7}});
    RunningBinary scan = startBinary(kBinary, {"--scan", "--local", "10.77.0.1", "--listen-ms", "4000", "--poll", "--levels",
                                               "--output", dir + "/scan.json"});
    ASSERT_TRUE(waitFor([] { return isMemberOn("lbsa", 64214); }));
    SacnData a;  // universe 9 only by multicast, and nobody asked for it
    a.universe = 9;
    a.priority = 100;
    a.slotLevels = {10, 200};
    SacnData b = a;
    b.cid = cidOf(2);
    b.priority = 120;
    b.slots = 1;
    b.slotLevels = {5};
    desk.send(sacnDiscovery(a.cid, "Desk", 0, 0, {9}), groupOf(64214).c_str(), kSacnPort);
    const bool joined = waitFor([] { return isMemberOn("lbsa", 9); });
    const auto sendBoth = [&](int i) {
        a.sequence = b.sequence = static_cast<uint8_t>(i + 1);
        desk.send(sacnData(a), groupOf(9).c_str(), kSacnPort);
        backup.send(sacnData(b), groupOf(9).c_str(), kSacnPort);
    };
    const std::optional<int> exitCode = joined ? sendUntilEnded(scan, sendBoth, 10000) : waitForExit(scan, 10000);
    node.finish();
    ASSERT_TRUE(joined) << "the announced universe's group was joined";
    ASSERT_EQ(exitCode, 0);

    const json doc = json::parse(readWholeFile(dir + "/scan.json"));
    EXPECT_EQ(doc["announcedUniverses"], json::parse("[9]"));
    EXPECT_EQ(doc["joinedUniverses"], 0) << "asked for: none";
    ASSERT_NE(findSource(doc, cidOf(1), 9), nullptr) << doc.dump();
    EXPECT_EQ((*findSource(doc, cidOf(1), 9))["sequenceErrors"], 0);
    ASSERT_EQ(doc["universes"].size(), 1u);
    const json& merged = doc["universes"][0];
    EXPECT_EQ(merged["universe"], 9);
    ASSERT_EQ(merged["winners"].size(), 512u);
    EXPECT_EQ(merged["levels"][0], 5) << "the higher priority wins slot 1";
    EXPECT_EQ(merged["levels"][1], 200) << "only the desk drives slot 2";
    EXPECT_EQ(merged["sources"][merged["winners"][0].get<std::size_t>()]["cid"], "20212223-2425-2627-2829-2a2b2c2d2e2f");
    EXPECT_EQ(merged["sources"][merged["winners"][1].get<std::size_t>()]["sourceName"], "Scan test source");

    ASSERT_EQ(doc["artNetNodes"].size(), 2u) << doc["artNetNodes"].dump();
    expectFields(doc["artNetNodes"][0], {{"ip", "10.77.0.6"}});
    expectFields(doc["artNetNodes"][1], {{"ip", "10.77.0.7"}, {"sender", "10.77.0.6"}});
}

// --follow: whole documents as lines, a running sequence, and a clean end on SIGTERM and
// when the reader closes the pipe.
TEST_F(ScanCli, FollowStreamsLinesUntilStoppedOrTheReaderLeaves) {
    const std::string dir = makeTempDirectory();
    PeerSocket source("10.77.0.2");
    std::atomic<bool> stop{false};
    std::thread sender([&] {  // unicast to the scan, 10 a second, bounded
        SacnData s;
        for (int i = 0; i < 1000 && !stop; ++i) {
            s.sequence = static_cast<uint8_t>(i);
            source.send(sacnData(s), "10.77.0.1", kSacnPort);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    const std::string output = dir + "/lines.json";
    RunningBinary follow = startBinary(kBinary, {"--scan", "--local", "10.77.0.1", "--follow", "--listen-ms", "0",
                                                 "--interval-ms", "100", "--output", output});
    const bool streamed = waitFor([&] { return followLines(readWholeFile(output)).size() >= 4; });
    signalBinary(follow, SIGTERM);
    EXPECT_EQ(waitForExit(follow, 5000), 0);
    EXPECT_TRUE(streamed);
    const std::string text = readWholeFile(output);
    const std::vector<json> lines = followLines(text);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(lines.size())) << "every line whole";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]["sequence"], i);
        EXPECT_EQ(lines[i]["schemaVersion"], 2);
    }
    EXPECT_GE(lines.back()["sacnSources"][0]["packets"].get<int>(), 1) << "the last line after SIGTERM";

    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    ChildOptions options;
    options.standardOutput = ends[1];
    RunningBinary piped = startBinary(kBinary, {"--scan", "--local", "10.77.0.1", "--follow", "--listen-ms", "0",
                                                "--interval-ms", "100", "--output", "-"}, options);
    close(ends[1]);
    char first[4096];
    const ssize_t n = read(ends[0], first, sizeof first);  // the first line, then the reader leaves
    close(ends[0]);
    EXPECT_EQ(waitForExit(piped, 5000), 6);
    stop = true;
    sender.join();
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(first, static_cast<std::size_t>(n)).rfind("{\"schemaVersion\":2,\"sequence\":0,", 0), 0u);

    // A reader that takes nothing, the pipe full from the start: a stop ends the scan all the same.
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    fcntl(ends[1], F_SETPIPE_SZ, 4096);
    fcntl(ends[1], F_SETFL, O_NONBLOCK);  // filled before the scan gets it blocking
    while (write(ends[1], "x", 1) == 1) {}
    fcntl(ends[1], F_SETFL, 0);
    options.standardOutput = ends[1];
    RunningBinary stalled = startBinary(kBinary, {"--scan", "--local", "10.77.0.1", "--follow", "--listen-ms", "0",
                                                  "--interval-ms", "60000", "--output", "-"}, options);
    close(ends[1]);
    EXPECT_TRUE(waitFor([] { return portSockets(kSacnPort) > 0; })) << "stop signals are watched";
    signalBinary(stalled, SIGTERM);
    EXPECT_EQ(waitForExit(stalled, 5000), 6);
    close(ends[0]);
}

// The memberships a scan can hold follow the open-file limit (20 groups a socket): with 100
// files, about 1,360 universes on the namespace's one interface.
TEST(ScanCliLimits, UniversesBeyondTheMembershipsTheSystemHoldsAreRefused) {
    const std::string dir = makeTempDirectory();
    ChildOptions options;
    options.directory = dir;
    options.wrapper = {"/bin/sh", "-c", "ulimit -n 100 && exec \"$@\"", "sh"};
    struct Case { const char* universes; int expected; };
    const Case cases[] = {{"1-63999", 2}, {"1-1359", 7}, {"1-1360", 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(runBinary(kBinary, {"--scan", "--local", "127.0.0.1", "--listen-ms", "100", "--universes", c.universes}, options), c.expected)
            << c.universes;
    }
}

// Beside another listener of the port, started first, a scan hears multicast but never takes
// the unicast the other one would get: a window receiving on 0.0.0.0 (its receive endpoint
// as the window opens it), or another scan, which does hear it.
TEST_F(ScanCli, BesideAnotherListenerTheScanTakesNoUnicast) {
    enum class First { Window, Scan };
    const auto packetsOf = [](const json& doc, uint8_t cid) {
        const json* source = findSource(doc, cidOf(cid), 1);
        return source ? (*source)["packets"].get<int>() : 0;
    };
    for (const First first : {First::Window, First::Scan}) {
        const std::string dir = makeTempDirectory();
        DmxNetworkEngine window;
        RunningBinary firstScan;
        if (first == First::Window) {
            window.receiveEndpoint = openReceiveEndpoint(window, DmxUniverseState(), Ipv4Address{});
            ASSERT_NE(window.receiveEndpoint, kInvalidSocket) << window.networkMessage;
            ASSERT_TRUE(joinReceiveGroup(window, ip("239.255.0.1"), Ipv4Address{}, kSacnPort));
        } else {
            firstScan = startBinary(kBinary, {"--scan", "--universes", "1", "--listen-ms", "4000", "--output", dir + "/first.json"});
            ASSERT_TRUE(waitFor([] { return portSockets(kSacnPort) >= 2; }));
        }
        const int before = portSockets(kSacnPort);
        RunningBinary scan = startBinary(kBinary, {"--scan", "--universes", "1", "--listen-ms", "3000", "--output", dir + "/scan.json"});
        ASSERT_TRUE(waitFor([&] { return portSockets(kSacnPort) > before; }));

        PeerSocket source("10.77.0.2");
        SacnData unicast{.slots = 24, .cid = cidOf(8)}, multicast{.cid = cidOf(9)};
        for (int i = 0; i < 20; ++i) {
            unicast.sequence = multicast.sequence = static_cast<uint8_t>(i + 1);
            source.send(sacnData(unicast), "10.77.0.1", kSacnPort);
            source.send(sacnData(multicast), groupOf(1).c_str(), kSacnPort);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(waitForExit(scan, 10000), 0);
        const json doc = json::parse(readWholeFile(dir + "/scan.json"));
        EXPECT_EQ(packetsOf(doc, 9), 20);
        EXPECT_EQ(packetsOf(doc, 8), 0) << "unicast taken from the one listening before";
        EXPECT_EQ(doc["ports"][0], json::parse(R"({"port":5568,"listening":true,"notListening":null,"unicast":false,"unicastNotHeard":"another program holds the port"})"));
        EXPECT_EQ(doc["ports"][1]["unicast"], first == First::Window) << "the first scan holds both ports";
        if (first == First::Window) {
            int unicastHeard = 0;
            uint8_t buffer[1500];
            for (long n; (n = receiveDatagram(window.receiveEndpoint, buffer, sizeof buffer)) >= 0;)
                unicastHeard += n == static_cast<long>(sacnData(unicast).size());
            EXPECT_EQ(unicastHeard, 20);
            closeReceiveEndpoint(window);
            continue;
        }
        ASSERT_EQ(waitForExit(firstScan, 10000), 0);
        const json firstDoc = json::parse(readWholeFile(dir + "/first.json"));
        EXPECT_EQ(packetsOf(firstDoc, 8), 20);
        EXPECT_EQ(packetsOf(firstDoc, 9), 20);
        EXPECT_EQ(firstDoc["ports"][0], json::parse(R"({"port":5568,"listening":true,"notListening":null,"unicast":true,"unicastNotHeard":null})"));
    }
}

// A scene of senders this program did not write, across the veth pair: npm sacn (tools/
// sacn-send.js, priority 100 on universe 1) and the test's own packets. The test's source
// at 100 conflicts with it until raised to 120; npm sacn, stopped, is lost; a packet for
// universe 5 sent to universe 6's group is a wrong group. The --scan --follow lines,
// --serve's /events.json and /metrics name the same events.
TEST_F(ScanCli, EventsOfPeersAlikeInTheDocumentEventsJsonAndMetrics) {
    const std::string output = makeTempDirectory() + "/scan.json";
    const std::string http = "127.0.0.1:9776";
    RunningBinary serve = startBinary(kBinary, {"--serve", "--universes", "1,5,6", "--http", http});
    RunningBinary scan = startBinary(kBinary, {"--scan", "--follow", "--listen-ms", "0", "--universes", "1,5,6", "--output", output});
    const auto get = [](const std::string& path) {
        const auto reply = httplib::Client("127.0.0.1", 9776).Get(path.c_str());
        return reply && reply->status == 200 ? reply->body : std::string();
    };
    ASSERT_TRUE(waitFor([&] { return !get("/healthz").empty() && isMemberOn("lbsa", 6); }, 20000));
    RunningBinary npm = startBinary("/usr/bin/nsenter", {"--net=/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(peers->peer),
                                                         "/usr/bin/env", "NODE_PATH=" LUMIBOX_SOURCE_DIR "/build-npm/node_modules",
                                                         "/usr/bin/node", LUMIBOX_SOURCE_DIR "/tools/sacn-send.js", "1", "6000", "10.77.0.2"});
    PeerSocket own("10.77.0.3");
    SacnData mine{.name = "Test scene", .cid = cidOf(7)};
    const auto events = [&] { return json::parse(get("/events.json"), nullptr, false)["events"]; };
    // "kind universe", and the name for the kinds that name one source.
    const auto scene = [](const json& list) {
        std::vector<std::string> seen;
        for (const json& e : list) {
            const std::string kind = e["kind"], entry = kind + ' ' + std::to_string(e["universe"].get<int>());
            if (kind == "sourceLost" || kind == "wrongGroup") seen.push_back(entry + ' ' + e["name"].get<std::string>());
            if (kind.starts_with("priorityConflict")) seen.push_back(entry);
        }
        return seen;
    };
    const auto shows = [&](const std::string& entry) {
        const auto seen = scene(events());
        return std::find(seen.begin(), seen.end(), entry) != seen.end();
    };
    // Sends the test's source every 20 ms until /events.json shows the entry, at most 20 s.
    const auto sendUntil = [&](const std::string& entry) {
        for (int i = 0; i < 1000; ++i) {
            mine.sequence = static_cast<uint8_t>(mine.sequence + 1);
            own.send(sacnData(mine), groupOf(1).c_str(), kSacnPort);
            if (i % 10 == 0 && shows(entry)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    ASSERT_TRUE(sendUntil("priorityConflict 1"));
    mine.priority = 120;
    ASSERT_TRUE(sendUntil("priorityConflictEnded 1"));
    signalBinary(npm, SIGKILL);
    ASSERT_TRUE(sendUntil("sourceLost 1 npm sacn"));
    own.send(sacnData(SacnData{.universe = 5, .name = "Test scene", .cid = cidOf(7)}), groupOf(6).c_str(), kSacnPort);
    ASSERT_TRUE(sendUntil("wrongGroup 5 Test scene"));

    const json served = events();
    const std::string metrics = get("/metrics");
    const uint64_t last = served.back()["number"];
    EXPECT_EQ(json::parse(get("/events.json?since=" + std::to_string(last - 1)))["events"].size(), 1u);
    signalBinary(scan, SIGTERM);
    ASSERT_EQ(waitForExit(scan, 20000), 0);
    json written = json::array();  // each line carries the events since the one before
    for (const json& line : followLines(readWholeFile(output))) written.insert(written.end(), line["events"].begin(), line["events"].end());
    const std::vector<std::string> expected = {"priorityConflict 1", "priorityConflictEnded 1", "sourceLost 1 npm sacn",
                                               "wrongGroup 5 Test scene"};
    for (const json* list : {&served, static_cast<const json*>(&written)}) {
        const std::vector<std::string> seen = scene(*list);
        auto at = seen.begin();  // in this order, whatever else a loaded machine adds between
        for (const std::string& entry : expected) {
            at = std::find(at, seen.end(), entry);
            EXPECT_NE(at, seen.end()) << entry << " in " << list->dump();
        }
    }
    for (const char* kind : {"priorityConflict", "priorityConflictEnded", "sourceLost", "wrongGroup"}) {
        EXPECT_NE(metrics.find("\nlumibox_events_total{kind=\"" + std::string(kind) + "\"} "), std::string::npos) << kind;
        EXPECT_EQ(metrics.find("\nlumibox_events_total{kind=\"" + std::string(kind) + "\"} 0\n"), std::string::npos) << kind;
    }
    signalBinary(serve, SIGTERM);
    EXPECT_EQ(waitForExit(serve, 20000), 0);
}
