// Start RX, pollReceive and the status text on real sockets. Runs inside a private
// network namespace: lo only, with the multicast range routed to it.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "net/socket/tests/socket_helpers.h"

namespace {

using ReceiveMonitor = EngineFixture;

TEST_F(ReceiveMonitor, DefaultsJoinTheGroupAndAcceptAGroupPacket) {
    ASSERT_FALSE(hostIsMemberOf("239.255.0.100"));
    toggleReceive(engine, state, view);
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Stop RX");
    EXPECT_EQ(table.networkFieldsEnabled(), 0);
    EXPECT_TRUE(hostIsMemberOf("239.255.0.100"));
    EXPECT_TRUE(portIsBound(5568));

    Peer source("127.0.0.1");
    source.send(makePacket(PacketRecipe().sequence(17).level(1, 255).level(512, 42)), "239.255.0.100", 5568);
    pollReceive(engine, state, view, 5000);
    EXPECT_EQ(firstStatusLine(5021), "RX 1 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 17 | Priority 100 | Alter 21 ms");
    EXPECT_EQ(message(5021), "");
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "255");
    EXPECT_EQ(table.cell(2, kDmxReceivedColumn), "0");
    EXPECT_EQ(table.cell(512, kDmxReceivedColumn), "42");

    // Unicast to the port is received as well.
    source.send(makePacket(PacketRecipe().sequence(18)), "127.0.0.1", 5568);
    pollReceive(engine, state, view, 6000);
    EXPECT_EQ(firstStatusLine(6000), "RX 2 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 18 | Priority 100 | Alter 0 ms");

    toggleReceive(engine, state, view);
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Start RX");
    EXPECT_EQ(table.networkFieldsEnabled(), 1);
    EXPECT_FALSE(hostIsMemberOf("239.255.0.100")) << "closing ends the membership";
    EXPECT_FALSE(portIsBound(5568));
    // Stopped: counters and source stay, the age keeps growing.
    EXPECT_EQ(firstStatusLine(9000), "RX 2 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 18 | Priority 100 | Alter 3000 ms");
    pollReceive(engine, state, view, 9000);  // closed: nothing to do
}

TEST_F(ReceiveMonitor, SourceStatusCarriesFlagsAndSyncUniverseOfSacnOnly) {
    setField(kDmxUniverseField, "300");
    toggleReceive(engine, state, view);
    EXPECT_TRUE(hostIsMemberOf("239.255.1.44"));
    Peer source("127.0.0.7");
    source.send(makePacket(PacketRecipe().universe(300).sequence(3).priority(150).options(0xC0).syncUniverse(777)),
                "239.255.1.44", 5568);
    pollReceive(engine, state, view, 100);
    EXPECT_EQ(firstStatusLine(100),
              "RX 1 | TX 0 | Rejected 0 | 127.0.0.7 | U 300 | Seq 3 | Priority 150 | Stream ended | Preview | Sync-Universe 777 | Alter 0 ms");
    toggleReceive(engine, state, view);

    useArtNet();
    toggleReceive(engine, state, view);
    EXPECT_FALSE(hostIsMemberOf("239.255.1.44")) << "Art-Net joins nothing";
    EXPECT_TRUE(portIsBound(6454));
    std::vector<uint8_t> artnet = makePacket(PacketRecipe().artNet().universe(300).sequence(9).level(2, 77));
    source.send(artnet, "127.0.0.1", 6454);
    pollReceive(engine, state, view, 200);
    EXPECT_EQ(firstStatusLine(200), "RX 2 | TX 0 | Rejected 0 | 127.0.0.7 | U 300 | Seq 9 | Alter 0 ms");
    EXPECT_EQ(table.cell(2, kDmxReceivedColumn), "77");
}

TEST_F(ReceiveMonitor, RejectedOtherUniverseAndEmptyDatagrams) {
    toggleReceive(engine, state, view);
    Peer source;
    source.send(makePacket(PacketRecipe().level(5, 50)), "127.0.0.1", 5568);
    pollReceive(engine, state, view, 100);
    ASSERT_EQ(firstStatusLine(100), "RX 1 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 1 | Priority 100 | Alter 0 ms");
    const long writes = table.cellWrites;

    source.send({}, "127.0.0.1", 5568);                                                         // empty
    source.send(makePacket(PacketRecipe().artNet()), "127.0.0.1", 5568);            // other protocol
    source.send(makePacket(PacketRecipe().priority(201)), "127.0.0.1", 5568);                            // invalid field
    std::vector<uint8_t> padded = makePacket(PacketRecipe());
    padded.push_back(0);
    source.send(padded, "127.0.0.1", 5568);                                                   // bytes after the data
    source.send(makePacket(PacketRecipe().universe(101).sequence(99).level(5, 9)), "127.0.0.1", 5568);  // other universe
    source.send(std::vector<uint8_t>(1600, 0x41), "127.0.0.1", 5568);                         // longer than the buffer
    pollReceive(engine, state, view, 300);
    EXPECT_EQ(firstStatusLine(300), "RX 1 | TX 0 | Rejected 5 | 127.0.0.1 | U 100 | Seq 1 | Priority 100 | Alter 200 ms");
    EXPECT_EQ(table.cellWrites, writes) << "nothing accepted: no cell written";
    EXPECT_EQ(table.cell(5, kDmxReceivedColumn), "50");

    // Accepted again: only the cells whose level changed are written.
    const struct {
        int level5, level512;
        long cellsWritten;
    } steps[] = {{50, 0, 0}, {51, 0, 1}, {0, 7, 2}};
    for (const auto& step : steps) {
        const long before = table.cellWrites;
        source.send(makePacket(PacketRecipe().level(5, step.level5).level(512, step.level512)), "127.0.0.1", 5568);
        pollReceive(engine, state, view, 400);
        EXPECT_EQ(table.cellWrites - before, step.cellsWritten) << step.level5;
        EXPECT_EQ(table.cell(5, kDmxReceivedColumn), std::to_string(step.level5));
        EXPECT_EQ(table.cell(512, kDmxReceivedColumn), std::to_string(step.level512));
    }
}

TEST_F(ReceiveMonitor, OnePollTakesAtMost128AndTheLastPacketWins) {
    toggleReceive(engine, state, view);
    Peer source;
    for (int sequence : {1, 2, 3}) {
        source.send(makePacket(PacketRecipe().sequence(sequence).level(1, 10 * sequence)), "127.0.0.1", 5568);
    }
    pollReceive(engine, state, view, 100);
    EXPECT_EQ(firstStatusLine(100), "RX 3 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 3 | Priority 100 | Alter 0 ms");
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "30");

    // Short packets keep 140 of them well inside the socket's receive buffer.
    for (int i = 0; i < 140; ++i) source.send(makePacket(PacketRecipe().sequence(i).slots(2)), "127.0.0.1", 5568);
    pollReceive(engine, state, view, 200);
    EXPECT_EQ(firstStatusLine(200), "RX 131 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 127 | Priority 100 | Alter 0 ms");
    pollReceive(engine, state, view, 210);
    EXPECT_EQ(firstStatusLine(210), "RX 143 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 139 | Priority 100 | Alter 0 ms");
    pollReceive(engine, state, view, 220);
    EXPECT_EQ(firstStatusLine(220), "RX 143 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 139 | Priority 100 | Alter 10 ms");
}

TEST_F(ReceiveMonitor, FewerSlotsReturnTheHigherChannelsToZero) {
    toggleReceive(engine, state, view);
    Peer source;
    source.send(makePacket(PacketRecipe().level(1, 1).level(24, 24).level(25, 25).level(30, 9).level(512, 5)), "127.0.0.1", 5568);
    pollReceive(engine, state, view, 100);
    ASSERT_EQ(table.cell(30, kDmxReceivedColumn), "9");
    source.send(makePacket(PacketRecipe().sequence(2).level(1, 11).level(24, 240).level(25, 99).slots(24)), "127.0.0.1", 5568);
    pollReceive(engine, state, view, 200);
    EXPECT_EQ(table.cell(1, kDmxReceivedColumn), "11");
    EXPECT_EQ(table.cell(24, kDmxReceivedColumn), "240");
    for (int slot : {25, 30, 512}) EXPECT_EQ(table.cell(slot, kDmxReceivedColumn), "0") << slot;
    EXPECT_EQ(firstStatusLine(200), "RX 2 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 2 | Priority 100 | Alter 0 ms");
}

}  // namespace
