// SIGTERM and SIGINT close the Qt window as its close button does: a pending pulse sends
// its channels at 0 once before everything stops (the close button itself: ui/tests).
// Runs inside a private network namespace, with a peer on loopback.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <csignal>

#include "net/socket/tests/socket_helpers.h"
#include "ui/qt/termination_signals.h"
#include "window_test_support.h"

namespace {

std::vector<std::vector<uint8_t>> waitingPackets(const Peer& peer) {
    std::vector<std::vector<uint8_t>> packets;
    for (std::vector<uint8_t> packet = peer.next(); !packet.empty() && packets.size() < 1000; packet = peer.next()) {
        packets.push_back(packet);
    }
    return packets;
}

TEST(WindowDmxClose, TerminationSignalsCloseLikeTheCloseButton) {
    for (int signal : {SIGTERM, SIGINT}) {
        QtWindowDriver t;
        Peer peer(kCapturePeerAddress, kSacnPort);
        setNonBlocking(peer.handle, true);
        t.click(105);
        t.setText(104, kCapturePeerAddress);
        t.setText(109, "5");
        t.setText(112, "5");
        t.setText(110, "99");
        t.setText(113, "60000");
        t.click(108);
        t.tick(5);
        ASSERT_FALSE(waitingPackets(peer).empty()) << signal;
        ASSERT_TRUE(closeWindowOnTerminationSignals(*t.window->host));
        std::raise(signal);
        EXPECT_TRUE(QTest::qWaitFor([&] { return t.engines().stopped; }, 5000)) << signal;

        const auto packets = waitingPackets(peer);
        ASSERT_EQ(packets.size(), 1u) << signal;
        ASSERT_EQ(packets[0].size(), kSacnDataOffset + 512);
        EXPECT_EQ(packets[0][kSacnDataOffset + 4], 0) << "channel 5 at 0";
        EXPECT_TRUE(t.closed()) << signal;
        EXPECT_EQ(t.text(105), "Start RX");
        EXPECT_EQ(t.engines().dmx.receiveEndpoint, kInvalidSocket);
        EXPECT_EQ(t.engines().dmx.transmitEndpoint, kInvalidSocket);
        t.advanceWithoutTick(1000);
        handleWindowTick(*t.window);
        EXPECT_TRUE(waitingPackets(peer).empty());
        restoreTerminationSignals();
    }
}

}  // namespace
