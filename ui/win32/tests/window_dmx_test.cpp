// The DMX page end to end under wine: the real window, real Windows sockets and a peer
// socket on loopback, all inside the private network namespace the runner makes.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "net/socket/tests/socket_helpers.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

bool networkFieldsEnabled(const TestWindow& t) {
    bool all = true, none = true;
    for (int id : {101, 102, 103, 104}) {
        const bool enabled = IsWindowEnabled(control(t, id)) != FALSE;
        all = all && enabled;
        none = none && !enabled;
    }
    EXPECT_TRUE(all || none) << "the four network fields lock together";
    return all;
}

// The levels of every sACN packet waiting at the peer, oldest first.
std::vector<std::vector<uint8_t>> receivedLevels(const Peer& peer) {
    std::vector<std::vector<uint8_t>> packets;
    for (int i = 0; i < 1000; ++i) {
        const std::vector<uint8_t> packet = peer.next();
        if (packet.empty()) break;
        DmxPacketInfo info;
        EXPECT_TRUE(parseDmxPacket(packet.data(), packet.size(), DmxProtocol::Sacn, info));
        packets.emplace_back(packet.begin() + info.dataOffset, packet.begin() + info.dataOffset + info.slotCount);
    }
    return packets;
}

// A peer that captures on the sACN port of 127.0.0.1 and never waits. wine binds a
// socket for another loopback address on 0.0.0.0, so the peer takes 127.0.0.1 itself,
// more specific than the window's 0.0.0.0.
struct CapturePeer : Peer {
    CapturePeer() : Peer("127.0.0.1", kSacnPort) { setNonBlocking(handle, true); }
};

class WindowDmx : public ::testing::Test {
protected:
    TestWindow t;
};

TEST_F(WindowDmx, StartRxShowsUnicastAndMulticastPacketsInTableAndStatus) {
    click(t, 105);
    ASSERT_EQ(textOf(t, 105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(t));

    Peer peer;
    peer.send(makePacket(PacketRecipe().sequence(17).level(1, 10).level(512, 77)), "127.0.0.1", kSacnPort);
    t.tick(20);
    EXPECT_EQ(levelCell(t, 0, 1), "10");
    EXPECT_EQ(levelCell(t, 1, 1), "0");
    EXPECT_EQ(levelCell(t, 511, 1), "77");
    EXPECT_EQ(levelCell(t, 0, 2), "0");
    const std::string status = textOf(t, kDmxStatusText);
    EXPECT_EQ(status.rfind("RX 1 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 17 | Priority 100 | Alter ", 0), 0u)
        << status;

    // The group the window joined for universe 100.
    peer.send(makePacket(PacketRecipe().sequence(18).level(1, 200)), "239.255.0.100", kSacnPort);
    peer.send({1, 2, 3}, "127.0.0.1", kSacnPort);  // not a packet: counted as rejected
    t.tick(20);
    EXPECT_EQ(levelCell(t, 0, 1), "200");
    EXPECT_EQ(levelCell(t, 511, 1), "0");
    EXPECT_EQ(textOf(t, kDmxStatusText).rfind("RX 2 | TX 0 | Rejected 1 | 127.0.0.1 | U 100 | Seq 18 |", 0), 0u)
        << textOf(t, kDmxStatusText);
}

TEST_F(WindowDmx, DoubleClickOnStartRxTogglesOnceAndResetUnlocks) {
    // A whole double click on the button, as the mouse delivers it: the first click
    // starts receiving, the second click of the double click is no command.
    const HWND button = control(t, 105);
    const LPARAM inside = MAKELPARAM(10, 10);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageW(button, WM_LBUTTONUP, 0, inside);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    SendMessageW(button, WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(textOf(t, 105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(t));

    typeText(t, 110, "");  // a refused send leaves a message for Reset network to clear
    click(t, 107);
    t.tick(21);
    EXPECT_EQ(messageLine(t, kDmxStatusText), kRangeMessage);

    click(t, 116);
    EXPECT_EQ(textOf(t, 105), "Start RX");
    EXPECT_TRUE(networkFieldsEnabled(t));
    t.tick(21);
    EXPECT_EQ(messageLine(t, kDmxStatusText), "");
}

TEST_F(WindowDmx, SendValueReachesThePeerOnce) {
    CapturePeer peer;
    typeText(t, 109, "2");
    typeText(t, 112, "4");
    typeText(t, 110, "128");
    click(t, 107);
    EXPECT_FALSE(networkFieldsEnabled(t));  // the transmit endpoint is open
    EXPECT_EQ(levelCell(t, 0, 2), "0");
    EXPECT_EQ(levelCell(t, 1, 2), "128");
    EXPECT_EQ(levelCell(t, 3, 2), "128");
    EXPECT_EQ(levelCell(t, 4, 2), "0");
    const auto packets = receivedLevels(peer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][0], 0);
    EXPECT_EQ(packets[0][1], 128);
    EXPECT_EQ(packets[0][3], 128);
    EXPECT_EQ(packets[0][4], 0);
    t.tick(40);  // a single send is not repeated
    EXPECT_TRUE(receivedLevels(peer).empty());
}

TEST_F(WindowDmx, PulseReachesThePeerRepeatsAndEndsWithZeros) {
    CapturePeer peer;
    typeText(t, 109, "1");
    typeText(t, 112, "3");
    typeText(t, 110, "255");
    typeText(t, 113, "200");
    click(t, 108);
    EXPECT_EQ(levelCell(t, 0, 2), "255");
    EXPECT_EQ(levelCell(t, 2, 2), "255");
    EXPECT_EQ(levelCell(t, 3, 2), "0");

    std::vector<std::vector<uint8_t>> packets = receivedLevels(peer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][0], 255);
    EXPECT_EQ(packets[0][2], 255);
    EXPECT_EQ(packets[0][3], 0);

    // 400 ms of ticks: repeats every 33 ms until the deadline, then one zero packet.
    int repeats = 0;
    bool ended = false;
    for (int tick = 0; tick < 40; ++tick) {
        t.tick();
        for (const auto& levels : receivedLevels(peer)) {
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
    EXPECT_EQ(levelCell(t, 0, 2), "0");
    EXPECT_EQ(textOf(t, kDmxStatusText).rfind("RX 0 | TX " + std::to_string(repeats + 2) + " | ", 0), 0u);
}

TEST_F(WindowDmx, ClosingDuringAPulseSendsItsZerosOnceThenStopsEverything) {
    CapturePeer peer;
    click(t, 105);
    typeText(t, 109, "5");
    typeText(t, 112, "5");
    typeText(t, 110, "99");
    click(t, 108);
    t.tick(5);
    ASSERT_FALSE(receivedLevels(peer).empty());

    SendMessageW(t.handle, WM_CLOSE, 0, 0);
    const auto packets = receivedLevels(peer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][4], 0);
    EXPECT_EQ(t.window->engines.dmx.receiveEndpoint, kInvalidSocket);
    EXPECT_EQ(t.window->engines.dmx.transmitEndpoint, kInvalidSocket);
    // The window is gone and the loop is told to end with 0.
    EXPECT_FALSE(IsWindow(t.handle));
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    t.advanceWithoutTick(1000);
    runWindowTick(t.window->engines);
    EXPECT_TRUE(receivedLevels(peer).empty());
}

}  // namespace
