// Drives the real lumibox binary: arguments in, exit code, file bytes and datagrams out.
// Runs inside a private network namespace; everything stays on 127.0.0.0/8.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/packet_codec.h"
#include "net/socket_layer.h"
#include "core/tests/run_binary.h"
#include "dmx_cli_cases.h"

namespace {

const std::string kBinary = LUMIBOX_BINARY;

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

int levelOf(const std::vector<uint8_t>& packet, DmxProtocol protocol, int slot) {
    DmxPacketInfo info;
    if (!parseDmxPacket(packet.data(), packet.size(), protocol, info)) return -1;
    return packet[static_cast<std::size_t>(info.dataOffset + slot - 1)];
}

}  // namespace

TEST(DmxCli, ArgumentValidationExitCodes) {
    for (const DmxExitCodeCase& c : kDmxExitCodeCases) EXPECT_EQ(runBinary(kBinary, c.args), c.expected) << joinArguments(c.args);
}

TEST(DmxCli, SecondBindOnTheSameAddressAndPortFails) {
    TestSocket holder("127.0.0.3", kSacnPort);
    ASSERT_TRUE(holder.ok());
    EXPECT_EQ(runBinary(kBinary, {"--send"}), 4);
    EXPECT_EQ(runBinary(kBinary, {"--listen"}), 4);
    EXPECT_EQ(runBinary(kBinary, {"--send", "--protocol", "Art-Net", "--pulse", "30"}), 0) << "other port is free";
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
    send(buildDmxPacket(state));  // other universe
    state.universe = 100;
    state.protocol = DmxProtocol::ArtNet;
    send(buildDmxPacket(state));  // other protocol
    send({});                     // empty datagram
    state.protocol = DmxProtocol::Sacn;
    state.levels[30] = 9;         // beyond the 24 slots that are sent
    std::vector<uint8_t> shortPacket = buildDmxPacket(state);
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

TEST(DmxCli, ListenerFailuresWriteNothingElsewhere) {
    // A missing directory and a directory as the output both fail to write: 6.
    const std::string dir = makeTempDirectory();
    for (const std::string& output : {dir + "/missing/capture.json", dir}) {
        RunningBinary listener = startBinary(kBinary, {"--listen", "--local", "127.0.0.1", "--output", output});
        ASSERT_TRUE(waitUntilBound(kSacnPort));
        EXPECT_EQ(runBinary(kBinary, {"--send", "--pulse", "30"}), 0);
        EXPECT_EQ(waitForExit(listener, 10000), 6) << output;
    }
    // Nothing arrives: 7 after the 5-second window, and no file.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runBinary(kBinary, {"--listen", "--local", "127.0.0.1"}, 15000, dir), 7);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), 5000);
    EXPECT_EQ(readWholeFile(dir + "/dmx-capture.json"), "");
}
