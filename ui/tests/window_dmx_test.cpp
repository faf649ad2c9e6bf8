// The DMX page end to end on every front end: the real window, real sockets and a peer
// socket on loopback, inside a private network namespace, so the multicast join and
// every send stay on this machine's loopback.
#include <gtest/gtest.h>

#include <vector>

#include "net/socket/tests/socket_helpers.h"
#include "ui/tests/window_driver.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"

namespace {

bool networkFieldsEnabled(WindowDriver& w) {
    bool all = true, none = true;
    for (int id : {101, 102, 103, 104}) {
        const bool enabled = w.enabled(id);
        all = all && enabled;
        none = none && !enabled;
    }
    EXPECT_TRUE(all || none) << "the four network fields lock together";
    return all;
}

// A peer that captures on the sACN port and never waits; the window sends to it when
// Target IPv4 names its address.
struct CapturePeer : Peer {
    CapturePeer() : Peer(kCapturePeerAddress, kSacnPort) { setNonBlocking(handle, true); }

    // The levels of every sACN packet waiting, oldest first.
    std::vector<std::vector<uint8_t>> levels() const {
        std::vector<std::vector<uint8_t>> packets;
        for (int i = 0; i < 1000; ++i) {
            const std::vector<uint8_t> packet = next();
            if (packet.empty()) break;
            DmxPacketInfo info;
            EXPECT_TRUE(parseDmxPacket(packet.data(), packet.size(), DmxProtocol::Sacn, info));
            packets.emplace_back(packet.begin() + info.dataOffset, packet.begin() + info.dataOffset + info.slotCount);
        }
        return packets;
    }
};

class WindowDmx : public ::testing::Test {
protected:
    std::unique_ptr<WindowDriver> w = openTestWindow();
};

TEST_F(WindowDmx, StartRxShowsUnicastAndMulticastPacketsInTableAndStatus) {
    w->click(105);
    ASSERT_EQ(w->text(105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(*w));

    Peer peer;
    peer.send(makePacket(PacketRecipe().sequence(17).level(1, 10).level(512, 77)), "127.0.0.1", kSacnPort);
    w->tick(20);
    EXPECT_EQ(w->cell(0, 1), "10");
    EXPECT_EQ(w->cell(1, 1), "0");
    EXPECT_EQ(w->cell(511, 1), "77");
    EXPECT_EQ(w->cell(0, 2), "0");
    const std::string status = w->text(kDmxStatusText);
    EXPECT_EQ(status.rfind("RX 1 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 17 | Priority 100 | Alter ", 0), 0u)
        << status;

    // The group the window joined for universe 100.
    peer.send(makePacket(PacketRecipe().sequence(18).level(1, 200)), "239.255.0.100", kSacnPort);
    peer.send({1, 2, 3}, "127.0.0.1", kSacnPort);  // not a packet: counted as rejected
    w->tick(20);
    EXPECT_EQ(w->cell(0, 1), "200");
    EXPECT_EQ(w->cell(511, 1), "0");
    EXPECT_EQ(w->text(kDmxStatusText).rfind("RX 2 | TX 0 | Rejected 1 | 127.0.0.1 | U 100 | Seq 18 |", 0), 0u)
        << w->text(kDmxStatusText);
}

TEST_F(WindowDmx, DoubleClickOnStartRxTogglesOnceAndResetUnlocks) {
    // The first click starts receiving; the second click of the double click is no command.
    w->doubleClick(105);
    EXPECT_EQ(w->text(105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(*w));

    w->setText(110, "");  // a refused send leaves a message for Reset network to clear
    w->click(107);
    w->tick(21);
    EXPECT_EQ(w->messageLine(kDmxStatusText), kRangeMessage);

    w->click(116);
    EXPECT_EQ(w->text(105), "Start RX");
    EXPECT_TRUE(networkFieldsEnabled(*w));
    w->tick(21);
    EXPECT_EQ(w->messageLine(kDmxStatusText), "");
}

TEST_F(WindowDmx, SendValueReachesThePeerOnce) {
    CapturePeer peer;
    w->setText(104, kCapturePeerAddress);
    w->setText(109, "2");
    w->setText(112, "4");
    w->setText(110, "128");
    w->click(107);
    EXPECT_FALSE(networkFieldsEnabled(*w));  // the transmit endpoint is open
    EXPECT_EQ(w->cell(0, 2), "0");
    EXPECT_EQ(w->cell(1, 2), "128");
    EXPECT_EQ(w->cell(3, 2), "128");
    EXPECT_EQ(w->cell(4, 2), "0");
    const auto packets = peer.levels();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][0], 0);
    EXPECT_EQ(packets[0][1], 128);
    EXPECT_EQ(packets[0][3], 128);
    EXPECT_EQ(packets[0][4], 0);
    w->tick(40);  // a single send is not repeated
    EXPECT_TRUE(peer.levels().empty());
}

TEST_F(WindowDmx, PulseReachesThePeerRepeatsAndEndsWithZeros) {
    CapturePeer peer;
    w->setText(104, kCapturePeerAddress);
    w->setText(109, "1");
    w->setText(112, "3");
    w->setText(110, "255");
    w->setText(113, "200");
    w->click(108);
    EXPECT_FALSE(networkFieldsEnabled(*w));
    EXPECT_EQ(w->cell(0, 2), "255");
    EXPECT_EQ(w->cell(2, 2), "255");
    EXPECT_EQ(w->cell(3, 2), "0");

    std::vector<std::vector<uint8_t>> packets = peer.levels();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][0], 255);
    EXPECT_EQ(packets[0][2], 255);
    EXPECT_EQ(packets[0][3], 0);

    // 400 ms of ticks: repeats every 33 ms until the deadline, then one zero packet.
    int repeats = 0;
    bool ended = false;
    for (int tick = 0; tick < 40; ++tick) {
        w->tick();
        for (const auto& levels : peer.levels()) {
            ASSERT_FALSE(ended) << "nothing is sent after the zeros";
            if (levels[0] == 255) {
                ++repeats;
                continue;
            }
            EXPECT_EQ(levels[0], 0);
            EXPECT_EQ(levels[2], 0);
            ended = true;
        }
    }
    EXPECT_TRUE(ended);
    EXPECT_GE(repeats, 5);
    EXPECT_LE(repeats, 6);
    EXPECT_EQ(w->cell(0, 2), "0");
    EXPECT_EQ(w->text(kDmxStatusText).rfind("RX 0 | TX " + std::to_string(repeats + 2) + " | ", 0), 0u);
}

TEST_F(WindowDmx, ClosingDuringAPulseSendsItsZerosOnceThenStopsEverything) {
    CapturePeer peer;
    w->click(105);
    w->setText(104, kCapturePeerAddress);
    w->setText(109, "5");
    w->setText(112, "5");
    w->setText(110, "99");
    w->setText(113, "60000");
    w->click(108);
    w->tick(5);
    ASSERT_FALSE(peer.levels().empty());

    w->close();
    const auto packets = peer.levels();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][4], 0);
    EXPECT_TRUE(w->closed());
    EXPECT_EQ(w->engines().dmx.receiveEndpoint, kInvalidSocket);
    EXPECT_EQ(w->engines().dmx.transmitEndpoint, kInvalidSocket);
    w->advanceWithoutTick(1000);
    runWindowTick(w->engines());
    EXPECT_TRUE(peer.levels().empty());
}

}  // namespace
