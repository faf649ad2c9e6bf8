// Drives the real lumibox binary: arguments in, exit code, file bytes and datagrams out.
// Runs inside a private network namespace; everything stays on 127.0.0.0/8.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"
#include "core/tests/run_binary.h"
#include "dmx_cli_cases.h"
#include "net/socket/socket_layer.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;
const std::string kFullFileSystemTool = LUMIBOX_SOURCE_DIR "/tools/on-full-filesystem.sh";

Ipv4Address ip(const char* text) {
    Ipv4Address a;
    EXPECT_TRUE(parseIpv4(text, a)) << text;
    return a;
}

// A blocking test socket bound without address reuse, so it conflicts with lumibox's bind.
struct TestSocket {
    SocketHandle handle = kInvalidSocket;
    TestSocket(const char* address, uint16_t port) {
        handle = openUdpSocket();
        if (!bindSocket(handle, ip(address), port)) {
            closeSocket(handle);
            handle = kInvalidSocket;
        }
        if (handle != kInvalidSocket) setReceiveTimeout(handle, 1000);
    }
    ~TestSocket() { closeSocket(handle); }
    bool ok() const { return handle != kInvalidSocket; }
};

std::vector<std::vector<uint8_t>> receiveAll(const TestSocket& socket, std::size_t atMost) {
    std::vector<std::vector<uint8_t>> packets;
    uint8_t buffer[1500];
    while (packets.size() < atMost) {
        const long n = receiveDatagram(socket.handle, buffer, sizeof buffer);
        if (n < 0) break;
        packets.emplace_back(buffer, buffer + n);
    }
    return packets;
}

// Waits until a UDP socket on 127.0.0.1:port shows up in the kernel's table. A probe bind
// would race with the process under test and could make its own bind fail.
bool waitUntilBound(uint16_t port) {
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    for (int i = 0; i < 300; ++i) {
        if (readWholeFile("/proc/net/udp").find(wanted) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Waits until UDP sockets are bound to each of these addresses and port, as the kernel's
// table lists them.
bool waitUntilBound(const std::vector<const char*>& addresses, uint16_t port) {
    for (int i = 0; i < 300; ++i) {
        const std::string table = readWholeFile("/proc/net/udp");
        bool all = true;
        for (const char* address : addresses) {
            const Ipv4Address a = ip(address);
            char wanted[32];
            std::snprintf(wanted, sizeof wanted, "%02X%02X%02X%02X:%04X", a.bytes[3], a.bytes[2], a.bytes[1], a.bytes[0],
                          port);
            all = all && table.find(wanted) != std::string::npos;
        }
        if (all) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int levelOf(const std::vector<uint8_t>& packet, DmxProtocol protocol, int slot) {
    DmxPacketInfo info;
    if (!parseDmxPacket(packet.data(), packet.size(), protocol, info)) return -1;
    return packet[static_cast<std::size_t>(info.dataOffset + slot - 1)];
}

}  // namespace

TEST(DmxCli, ArgumentValidationExitCodes) {
    for (const DmxExitCodeCase& c : kDmxExitCodeCases) EXPECT_EQ(runBinary(kBinary, c.args), c.expected) << joinArguments(c.args);
    // --help and --version print to standard output, which a Linux terminal always has.
    const DmxExitCodeCase informationCases[] = {
        {{"--help"}, 0},
        {{"--version"}, 0},
        {{"--help", "--send", "--value", "300"}, 0},  // a mode word, not an option: nothing is checked or sent
        {{"--version", "--help"}, 0},
    };
    for (const DmxExitCodeCase& c : informationCases) EXPECT_EQ(runBinary(kBinary, c.args), c.expected) << joinArguments(c.args);
}

// Only --help and --version print, and only to standard output; every other mode is silent.
TEST(DmxCli, OnlyHelpAndVersionPrint) {
    const std::string dir = makeTempDirectory();
    struct Case {
        std::vector<std::string> args;
        int expected;
        std::string outputStart;  // the whole output when exact
        bool exact;
    };
    const Case cases[] = {
        {{"--version"}, 0, "Velmora Lumibox 0.2.1\n", true},
        {{"--version", "--self-test"}, 0, "Velmora Lumibox 0.2.1\n", true},
        {{"--help"}, 0, "Usage: lumibox [MODE [OPTION VALUE]...]\nVelmora Lumibox 0.2.1: ", false},
        {{"--self-test"}, 0, "", true},
        {{"--self-test", "--universe", "0"}, 2, "", true},
        {{"--bogus"}, 2, "", true},
        {{"--midi-bogus"}, 2, "", true},
        {{"--send", "--local", "127.0.0.5", "--pulse", "30"}, 0, "", true},
        {{"--export-icon", dir + "/icon.ico"}, 0, "", true},
        {{"--export-icon", dir + "/missing/icon.ico"}, 2, "", true},
    };
    for (const Case& c : cases) {
        const BinaryRun run = runBinaryCapturing(kBinary, c.args);
        EXPECT_EQ(run.exitCode, c.expected) << c.args[0];
        if (c.exact) {
            EXPECT_EQ(run.standardOutput, c.outputStart) << c.args[0];
        } else {
            EXPECT_TRUE(run.standardOutput.starts_with(c.outputStart)) << run.standardOutput.substr(0, 200);
        }
        EXPECT_EQ(run.standardError, "") << c.args[0];
    }
    const std::string help = runBinaryCapturing(kBinary, {"--help"}).standardOutput;
    for (const char* mode : {"--self-test", "--send", "--listen", "--midi-list", "--midi-listen", "--midi-send"}) {
        EXPECT_NE(help.find("\n  lumibox " + std::string(mode) + " ["), std::string::npos) << mode;
    }
    // An output that cannot be written is a failure, not a success.
    EXPECT_EQ(runBinaryCapturing(kBinary, {"--help"}, "/dev/full").exitCode, 6);
    EXPECT_EQ(runBinaryCapturing(kBinary, {"--version"}, "/dev/full").exitCode, 6);
}

TEST(DmxCli, SecondBindOnTheSameAddressAndPortFails) {
    TestSocket holder("127.0.0.3", kSacnPort);
    ASSERT_TRUE(holder.ok());
    EXPECT_EQ(runBinary(kBinary, {"--send"}), 4);
    EXPECT_EQ(runBinary(kBinary, {"--listen"}), 4);
    EXPECT_EQ(runBinary(kBinary, {"--send", "--protocol", "Art-Net", "--pulse", "30"}), 0) << "other port is free";
    // The scan modes go on with the other port, and the document says why this one is not heard.
    const std::string dir = makeTempDirectory();
    EXPECT_EQ(runBinary(kBinary, {"--scan", "--listen-ms", "100"}, 20000, dir), 7);
    EXPECT_NE(readWholeFile(dir + "/dmx-scan.json").find(R"({"port":5568,"listening":false,"notListening":"another program )"
                                                         R"(holds the port without sharing it","unicast":false,)"), std::string::npos);
    EXPECT_EQ(runBinary(kBinary, {"--record", "--listen-ms", "100"}, 20000, dir), 7);
    RunningBinary serve = startBinary(kBinary, {"--serve", "--http", "127.0.0.1:9779"});
    EXPECT_TRUE(waitFor([] { return readWholeFile("/proc/net/tcp").find(":2633 00000000:0000 0A") != std::string::npos; }));
    signalBinary(serve, SIGTERM);
    EXPECT_EQ(waitForExit(serve, 10000), 0);
    TestSocket artNetHolder("0.0.0.0", kArtNetPort);  // both ports: nothing could be heard
    for (const char* mode : {"--scan", "--record"}) EXPECT_EQ(runBinary(kBinary, {mode, "--listen-ms", "100"}, 20000, dir), 4) << mode;
}

TEST(DmxCli, SendWithDefaultsPutsNinePacketsOnTheWire) {
    TestSocket receiver("127.0.0.1", kSacnPort);
    ASSERT_TRUE(receiver.ok());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(runBinary(kBinary, {"--send"}), 0);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const auto packets = receiveAll(receiver, 20);
    ASSERT_EQ(packets.size(), 9u);
    for (std::size_t i = 0; i < packets.size(); ++i) {
        DmxPacketInfo info;
        ASSERT_TRUE(parseDmxPacket(packets[i].data(), packets[i].size(), DmxProtocol::Sacn, info));
        EXPECT_EQ(info.sequence, static_cast<int>(i + 1));
        EXPECT_EQ(info.universe, 100);
        const bool inPulse = i >= 1 && i <= 7;
        EXPECT_EQ(levelOf(packets[i], DmxProtocol::Sacn, 1), inPulse ? 255 : 0) << "packet " << i;
        EXPECT_EQ(levelOf(packets[i], DmxProtocol::Sacn, 2), 0);
    }
    EXPECT_GE(took.count(), 40 + 7 * 33) << "paced by sleeps";
}

TEST(DmxCli, SendHonoursOptionsAndOptionOrderingRules) {
    TestSocket receiver("127.0.0.1", kArtNetPort);
    ASSERT_TRUE(receiver.ok());
    ASSERT_EQ(runBinary(kBinary, {"--send", "--protocol", "Art-Net", "--universe", "300", "--value", "10", "--pulse", "70",
                                  "--value", "20", "--channel", "12abc", "--local", "127.0.0.9"}),
              0);
    const auto packets = receiveAll(receiver, 20);
    ASSERT_EQ(packets.size(), 5u) << "zero packet, ceil(70/33) = 3 pulse packets, closing zero packet";
    DmxPacketInfo info;
    ASSERT_TRUE(parseDmxPacket(packets[1].data(), packets[1].size(), DmxProtocol::ArtNet, info));
    EXPECT_EQ(info.universe, 300);
    EXPECT_EQ(levelOf(packets[1], DmxProtocol::ArtNet, 12), 10) << "first --value wins, 12abc reads as 12";
    EXPECT_EQ(levelOf(packets[4], DmxProtocol::ArtNet, 12), 0);

    // An option in last position has no value: the default 255 applies.
    ASSERT_EQ(runBinary(kBinary, {"--send", "--protocol", "Art-Net", "--pulse", "30", "--local", "127.0.0.9", "--value"}), 0);
    const auto second = receiveAll(receiver, 20);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(levelOf(second[1], DmxProtocol::ArtNet, 1), 255);

    // A pulse of exactly two frame periods: the value at 0 and 33 ms; at 66 ms it has passed.
    ASSERT_EQ(runBinary(kBinary, {"--send", "--protocol", "Art-Net", "--pulse", "66", "--local", "127.0.0.9"}), 0);
    EXPECT_EQ(receiveAll(receiver, 20).size(), 4u);
}

TEST(DmxCli, ListenerCapturesTheSendersFirstPacketInBothProtocols) {
    for (const char* protocol : {"sACN", "Art-Net"}) {
        const std::string dir = makeTempDirectory();
        const uint16_t port = std::string(protocol) == "sACN" ? kSacnPort : kArtNetPort;
        RunningBinary listener = startBinary(kBinary, {"--listen", "--local", "127.0.0.1", "--protocol", protocol}, dir);
        ASSERT_TRUE(waitUntilBound(port));
        EXPECT_EQ(runBinary(kBinary, {"--send", "--protocol", protocol, "--pulse", "30"}), 0);
        ASSERT_EQ(waitForExit(listener, 10000), 0) << protocol;
        EXPECT_EQ(readWholeFile(dir + "/dmx-capture.json"), captureText(100, 1, {})) << protocol;
    }
}

TEST(DmxCli, ListenerSkipsOtherUniversesAndProtocolsAndKeepsShortPackets) {
    const std::string dir = makeTempDirectory();
    const std::string output = dir + "/capture.json";
    RunningBinary listener = startBinary(kBinary, {"--listen", "--local", "127.0.0.1", "--output", output});
    ASSERT_TRUE(waitUntilBound(kSacnPort));

    const SocketHandle sender = openUdpSocket();
    const auto send = [&](const std::vector<uint8_t>& packet) {
        sendDatagram(sender, packet.data(), packet.size(), ip("127.0.0.1"), kSacnPort);
    };
    DmxUniverseState state;
    state.levels[6] = 200;
    state.sequence = 42;
    state.universe = 101;
    send(packetBytes(buildDmxPacket(state)));  // other universe
    state.universe = 100;
    state.protocol = DmxProtocol::ArtNet;
    send(packetBytes(buildDmxPacket(state)));  // other protocol
    send({});                     // empty datagram
    state.protocol = DmxProtocol::Sacn;
    state.levels[30] = 9;         // beyond the 24 slots that are sent
    std::vector<uint8_t> shortPacket = packetBytes(buildDmxPacket(state));
    shortPacket.resize(126 + 24);
    const auto put16 = [&](std::size_t at, uint32_t v) {
        shortPacket[at] = static_cast<uint8_t>(v >> 8);
        shortPacket[at + 1] = static_cast<uint8_t>(v);
    };
    put16(16, 0x7000 | (150 - 16));
    put16(38, 0x7000 | (150 - 38));
    put16(115, 0x7000 | (150 - 115));
    put16(123, 25);
    send(shortPacket);
    closeSocket(sender);

    ASSERT_EQ(waitForExit(listener, 10000), 0);
    std::vector<int> expected(24, 0);
    expected[6] = 200;
    EXPECT_EQ(readWholeFile(output), captureText(100, 42, expected));
}

// A capture is written whole or not at all: a write that fails part-way ends with 6 and
// leaves the previous file and nothing else; one that succeeds replaces it whole. A stream
// named by the path is written where it points; a link, even a dangling one, stays a link.
TEST(DmxCli, ListenerWritesTheCaptureWholeOrNotAtAll) {
    const std::string previous = "{\"previous\":" + std::string(2000, ' ') + "1}";
    enum class Trouble { None, FileSizeLimit, FullFileSystem, ClosedPipe, AppendedStdout, SignalWhileWriting };
    enum class Result { Previous, Replaced, Appended, MadeAtLinkTarget };
    struct Case {
        const char* output;  // in the case's folder: capture.json, link.json -> capture.json, gone.json -> made.json
        Trouble trouble;
        int expected;
        Result result;
    };
    const Case cases[] = {
        {"missing/capture.json", Trouble::None, 6, Result::Previous},
        {".", Trouble::None, 6, Result::Previous},  // the folder itself
        {"capture.json", Trouble::FileSizeLimit, 6, Result::Previous},
        {"capture.json", Trouble::FullFileSystem, 6, Result::Previous},
        {"/dev/stdout", Trouble::ClosedPipe, 6, Result::Previous},
        {"/dev/full", Trouble::None, 6, Result::Previous},
        {"capture.json", Trouble::None, 0, Result::Replaced},
        {"link.json", Trouble::None, 0, Result::Replaced},  // the file is replaced, the link stays
        {"/dev/stdout", Trouble::AppendedStdout, 0, Result::Appended},  // lumibox ... >> capture.json
        {"gone.json", Trouble::None, 0, Result::MadeAtLinkTarget},
        {"capture.json", Trouble::SignalWhileWriting, 128 + SIGTERM, Result::Previous},
    };
    for (const Case& c : cases) {
        const std::string dir = makeTempDirectory();
        std::ofstream(dir + "/capture.json", std::ios::binary) << previous;
        std::filesystem::create_symlink("capture.json", dir + "/link.json");
        std::filesystem::create_symlink("made.json", dir + "/gone.json");
        const std::string output = c.output[0] == '/' ? c.output : dir + "/" + c.output;
        ChildOptions child;
        if (c.trouble == Trouble::FileSizeLimit) child.fileSizeLimit = 1024;  // the capture is 1063 bytes
        if (c.trouble == Trouble::FullFileSystem) child.wrapper = {kFullFileSystemTool, dir};
        if (c.trouble == Trouble::ClosedPipe) child.standardOutput = pipeWithoutReader();
        if (c.trouble == Trouble::AppendedStdout) child.standardOutput = appendingDescriptor(dir + "/capture.json");
        if (c.trouble == Trouble::SignalWhileWriting) child.wrapper = {"/usr/bin/env", "LD_PRELOAD=" LUMIBOX_FSYNC_NEVER_RETURNS};
        RunningBinary listener = startBinary(kBinary, {"--listen", "--local", "127.0.0.1", "--output", output}, child);
        closeDescriptor(child.standardOutput);
        ASSERT_TRUE(waitUntilBound(kSacnPort)) << c.output;
        EXPECT_EQ(runBinary(kBinary, {"--send", "--pulse", "30"}), 0);
        if (c.trouble == Trouble::SignalWhileWriting) {
            // The temporary file is written and held at its flush to the disk.
            for (int i = 0; i < 1000 && directoryEntries(dir).size() < 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            ASSERT_EQ(directoryEntries(dir).size(), 4u);
            signalBinary(listener, SIGTERM);
        }
        EXPECT_EQ(waitForExit(listener, 10000), c.expected) << c.output;
        const std::string capture = captureText(100, 1, {});
        const std::string kept = c.result == Result::Replaced ? capture : c.result == Result::Appended ? previous + capture : previous;
        EXPECT_EQ(readWholeFile(dir + "/capture.json"), kept) << c.output;
        std::vector<std::string> entries = {"capture.json", "gone.json", "link.json"};
        if (c.result == Result::MadeAtLinkTarget) {
            entries.push_back("made.json");
            EXPECT_EQ(readWholeFile(dir + "/made.json"), capture);
        }
        EXPECT_EQ(directoryEntries(dir), entries) << c.output;
        EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.json")) << c.output;
        EXPECT_TRUE(std::filesystem::is_symlink(dir + "/gone.json")) << c.output;
    }
}

// An interrupted pulse still ends with the channel at 0, and the process then ends by the signal.
TEST(DmxCli, InterruptedSendReleasesTheChannelAndEndsByTheSignal) {
    TestSocket receiver("127.0.0.1", kSacnPort);
    ASSERT_TRUE(receiver.ok());
    for (const int signal : {SIGINT, SIGTERM}) {
        RunningBinary sender = startBinary(kBinary, {"--send", "--channel", "5", "--value", "200", "--pulse", "60000"});
        const auto started = receiveAll(receiver, 2);  // all at 0, then the first at the value
        ASSERT_EQ(started.size(), 2u);
        EXPECT_EQ(levelOf(started[1], DmxProtocol::Sacn, 5), 200);
        signalBinary(sender, signal);
        EXPECT_EQ(waitForExit(sender, 10000), 128 + signal);
        const auto rest = receiveAll(receiver, 100);
        ASSERT_FALSE(rest.empty());
        for (std::size_t i = 0; i < rest.size(); ++i)
            EXPECT_EQ(levelOf(rest[i], DmxProtocol::Sacn, 5), i + 1 < rest.size() ? 200 : 0) << signal;
    }
}

// --scan's output failures, with any datagram counting as heard, and a scan that heard nothing.
TEST(DmxCli, ScanOutputFailures) {
    const std::string dir = makeTempDirectory();
    for (const std::string& output : {dir + "/missing/scan.json", dir}) {
        RunningBinary scan = startBinary(kBinary, {"--scan", "--local", "127.0.0.1", "--listen-ms", "1000", "--output", output});
        ASSERT_TRUE(waitUntilBound(kSacnPort));
        const SocketHandle sender = openUdpSocket();
        const uint8_t hello[] = {'h', 'i'};
        sendDatagram(sender, hello, sizeof hello, ip("127.0.0.1"), kSacnPort);
        closeSocket(sender);
        EXPECT_EQ(waitForExit(scan, 10000), 6) << output;
    }
    // Nothing heard: 7, and the document with empty lists all the same.
    EXPECT_EQ(runBinary(kBinary, {"--scan", "--local", "127.0.0.1", "--listen-ms", "100"}, 15000, dir), 7);
    const std::string empty = readWholeFile(dir + "/dmx-scan.json");
    EXPECT_TRUE(empty.starts_with("{\"schemaVersion\":2,")) << empty;
    EXPECT_NE(empty.find("\"datagrams\":0,\"sacnSources\":[],"), std::string::npos) << empty;
    std::tm start{};  // when listening began, within a minute of now
    strptime(empty.substr(empty.find("\"startTime\":\"") + 13).c_str(), "%Y-%m-%dT%H:%M:%S", &start);
    EXPECT_LT(std::abs(std::difftime(std::time(nullptr), timegm(&start))), 60.0) << empty;
}

TEST(DmxCli, ListenerWithNothingArrivingWritesNothing) {
    const std::string dir = makeTempDirectory();
    // Nothing arrives: 7 after the 5-second window, and no file.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runBinary(kBinary, {"--listen", "--local", "127.0.0.1"}, 15000, dir), 7);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), 5000);
    EXPECT_EQ(readWholeFile(dir + "/dmx-capture.json"), "");
}

// A veth pair in the test's private namespace: 10.9.0.1 on lbxa, 10.9.1.1 on lbxb.
struct DmxCliOnInterfaces : ::testing::Test {
    static bool haveVeth;

    static void SetUpTestSuite() {
        haveVeth = std::system("ip link add lbxa type veth peer name lbxb && "
                               "ip addr add 10.9.0.1/24 broadcast 10.9.0.255 dev lbxa && "
                               "ip addr add 10.9.1.1/24 broadcast 10.9.1.255 dev lbxb && "
                               "ip link set lbxa up && ip link set lbxb up") == 0;
    }
    static void TearDownTestSuite() { std::system("ip link del lbxa 2>/dev/null"); }
    void SetUp() override {
        if (!haveVeth) GTEST_SKIP() << "no veth interfaces in this namespace";
    }
};

bool DmxCliOnInterfaces::haveVeth = false;

TEST_F(DmxCliOnInterfaces, ListenerTakesTheBroadcastsOfItsInterfaceOnly) {
    struct Send {
        const char* from;
        const char* to;
        int sequence;
    };
    struct Case {
        const char* protocol;
        const char* local;
        std::vector<const char*> bound;  // what the listener binds, to wait for
        std::vector<Send> sends;         // in order; the capture must hold the last one
    };
    const std::vector<const char*> onLbxa = {"10.9.0.1", "10.9.0.255", "255.255.255.255"};
    const Case cases[] = {
        {"Art-Net", "10.9.0.1", onLbxa,
         {{"10.9.1.1", "10.9.1.255", 1},        // the other interface's broadcast
          {"10.9.1.1", "255.255.255.255", 2},   // limited broadcast leaving by the other interface
          {"10.9.0.1", "10.9.0.255", 3}}},      // its own interface's directed broadcast
        {"Art-Net", "10.9.0.1", onLbxa, {{"10.9.0.1", "255.255.255.255", 4}}},
        {"sACN", "10.9.0.1", onLbxa, {{"10.9.1.1", "10.9.1.255", 5}, {"10.9.0.1", "10.9.0.255", 6}}},
        {"Art-Net", "0.0.0.0", {"0.0.0.0"}, {{"10.9.1.1", "10.9.1.255", 7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.protocol) + " on " + c.local);
        const DmxProtocol protocol = std::string(c.protocol) == "sACN" ? DmxProtocol::Sacn : DmxProtocol::ArtNet;
        const uint16_t port = protocolPort(protocol);
        const std::string dir = makeTempDirectory();
        RunningBinary listener =
            startBinary(kBinary, {"--listen", "--local", c.local, "--protocol", c.protocol, "--universe", "5"}, dir);
        ASSERT_TRUE(waitUntilBound(c.bound, port));
        DmxUniverseState source;
        source.protocol = protocol;
        source.universe = 5;
        for (const Send& send : c.sends) {
            const SocketHandle sender = openUdpSocket();
            setBroadcast(sender, true);
            ASSERT_TRUE(bindSocket(sender, ip(send.from), 0));
            source.sequence = static_cast<uint8_t>(send.sequence);
            const DmxPacket packet = buildDmxPacket(source);
            EXPECT_EQ(sendDatagram(sender, packet.data(), packet.size(), ip(send.to), port),
                      static_cast<long>(packet.size()));
            closeSocket(sender);
        }
        ASSERT_EQ(waitForExit(listener, 10000), 0);
        EXPECT_EQ(readWholeFile(dir + "/dmx-capture.json"), captureText(5, c.sends.back().sequence, {}));
    }
}
