// Receiving while the transmit endpoint shares the port. Linux hands a unicast datagram
// to one socket of the port only (the more specific bind, or the one bound last), so the
// receive monitor must take unicast from the transmit endpoint too, and nothing else from
// there: broadcast and multicast reach both sockets and must be counted once.
// Runs inside a private network namespace (lo only, multicast routed to lo).
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

struct SharedPortCase {
    const char* name;
    bool artNet;
    const char* local;  // Local IPv4 field
};

void PrintTo(const SharedPortCase& c, std::ostream* out) { *out << c.name; }

const SharedPortCase kSharedPortCases[] = {
    {"SacnAnyAddress", false, "0.0.0.0"},
    {"SacnLoopbackAddress", false, "127.0.0.1"},
    {"ArtNetAnyAddress", true, "0.0.0.0"},
    {"ArtNetLoopbackAddress", true, "127.0.0.1"},
};

struct SharedPort : EngineFixture, ::testing::WithParamInterface<SharedPortCase> {
    uint16_t port = GetParam().artNet ? kArtNetPort : kSacnPort;
    Peer source{"127.0.0.1"};
    Peer capture{"127.0.0.2", port};  // takes the engine's own sends, which would reach its port otherwise

    SharedPort() {
        if (GetParam().artNet) useArtNet();
        setField(kDmxLocalIpv4Field, GetParam().local);
        setField(kDmxTargetField, "127.0.0.2");
    }

    std::vector<uint8_t> packet(int sequence, int level1 = 0, int slots = 512) const {
        PacketRecipe recipe = PacketRecipe().sequence(sequence).level(1, level1).slots(slots);
        if (GetParam().artNet) recipe.artNet();
        return makePacket(recipe);
    }
    void sendUnicast(int sequence, int level1 = 0) { source.send(packet(sequence, level1), "127.0.0.1", port); }
    void openTransmit(uint64_t now) {
        onSendValue(engine, state, view, now);
        ASSERT_NE(engine.transmitEndpoint, kInvalidSocket) << engine.networkMessage;
    }
    void startReceive() {
        toggleReceive(engine, state, view);
        ASSERT_NE(engine.receiveEndpoint, kInvalidSocket) << engine.networkMessage;
    }
    std::string sourceOf(int sequence) const {
        return "127.0.0.1 | U 100 | Seq " + std::to_string(sequence) + (GetParam().artNet ? "" : " | Priority 100");
    }
};

TEST_P(SharedPort, UnicastIsCountedWhicheverEndpointLinuxHandsItTo) {
    // Transmitting only: nothing is monitored, whatever reaches the port.
    openTransmit(100);
    sendUnicast(1, 11);
    pollReceive(engine, state, view, 110);
    EXPECT_EQ(engine.rxCount, 0u);
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "");

    // What waited from before Start RX is not received afterwards.
    startReceive();
    pollReceive(engine, state, view, 120);
    EXPECT_EQ(engine.rxCount, 0u) << "a datagram from before Start RX was counted";
    EXPECT_EQ(engine.sourceStatus, "No signal yet");

    // Transmit endpoint bound first: with 0.0.0.0 the receive endpoint gets unicast, with
    // 127.0.0.1 the transmit endpoint does (the more specific bind).
    sendUnicast(2, 22);
    pollReceive(engine, state, view, 130);
    EXPECT_EQ(engine.rxCount, 1u);
    EXPECT_EQ(engine.sourceStatus, sourceOf(2));

    // Receive endpoint bound first: the transmit endpoint gets unicast either way.
    resetNetwork(engine, state, view, 140);
    startReceive();
    openTransmit(150);
    sendUnicast(3, 33);
    sendUnicast(4, 44);
    pollReceive(engine, state, view, 160);
    EXPECT_EQ(engine.rxCount, 3u);
    EXPECT_EQ(engine.rejectedCount, 0u);
    EXPECT_EQ(engine.sourceStatus, sourceOf(4));
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "44");
    EXPECT_EQ(engine.lastReceiveTime, 160u);

    // Validation and the universe check apply there as well.
    source.send({1, 2, 3}, "127.0.0.1", port);
    source.send(makePacket(GetParam().artNet ? PacketRecipe().artNet().universe(7) : PacketRecipe().universe(7)),
                "127.0.0.1", port);
    pollReceive(engine, state, view, 170);
    EXPECT_EQ(engine.rxCount, 3u);
    EXPECT_EQ(engine.rejectedCount, 1u);

    // Stop RX with the transmit endpoint still open: nothing is monitored again.
    toggleReceive(engine, state, view);
    sendUnicast(5, 55);
    pollReceive(engine, state, view, 180);
    EXPECT_EQ(engine.rxCount, 3u);
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "44");
    EXPECT_FALSE(capture.next().empty()) << "the sends reached their target";
}

TEST_P(SharedPort, BroadcastAndMulticastAreCountedOnce) {
    startReceive();
    openTransmit(100);
    std::vector<const char*> destinations = {"255.255.255.255"};
    if (!GetParam().artNet) destinations.push_back("239.255.0.100");
    uint64_t expected = 0;
    int sequence = 10;
    for (const char* to : destinations) {
        for (int i = 0; i < 3; ++i) source.send(packet(++sequence), to, port);
        pollReceive(engine, state, view, 200);
        pollReceive(engine, state, view, 210);
        expected += 3;
        EXPECT_EQ(engine.rxCount, expected) << to;
        EXPECT_EQ(engine.sourceStatus, sourceOf(sequence)) << to;
    }
    sendUnicast(++sequence);
    pollReceive(engine, state, view, 220);
    EXPECT_EQ(engine.rxCount, expected + 1);
}

INSTANTIATE_TEST_SUITE_P(Endpoints, SharedPort, ::testing::ValuesIn(kSharedPortCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// Both endpoints share one cap per poll: 100 from the group on the receive endpoint and
// 100 unicast on the transmit endpoint take two polls.
using SharedCap = EngineFixture;

TEST_F(SharedCap, BothEndpointsShareTheCapOfAPoll) {
    Peer capture("127.0.0.2", kSacnPort);
    setField(kDmxTargetField, "127.0.0.2");
    toggleReceive(engine, state, view);
    onSendValue(engine, state, view, 100);
    ASSERT_NE(engine.transmitEndpoint, kInvalidSocket);
    Peer source("127.0.0.1");
    // Short packets keep 100 of them well inside each socket's receive buffer.
    for (int i = 0; i < 100; ++i) {
        source.send(makePacket(PacketRecipe().sequence(i).slots(2)), "239.255.0.100", kSacnPort);
        source.send(makePacket(PacketRecipe().sequence(i).slots(2)), "127.0.0.1", kSacnPort);
    }
    pollReceive(engine, state, view, 200);
    EXPECT_EQ(engine.rxCount, 128u);
    pollReceive(engine, state, view, 210);
    EXPECT_EQ(engine.rxCount, 200u);
    pollReceive(engine, state, view, 220);
    EXPECT_EQ(engine.rxCount, 200u);
}

}  // namespace
