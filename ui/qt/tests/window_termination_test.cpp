// SIGTERM and SIGINT close the Qt window as its close button does: a pending pulse sends
// its channels at 0 once before everything stops (the close button itself: ui/tests).
// With the Network window and the main window it opened, a signal closes both. Runs inside
// a private network namespace, with a peer on loopback.
#include <gtest/gtest.h>

#include <QTimer>
#include <QtTest/QTest>
#include <csignal>

#include "core/ipv4_address.h"
#include "ui/qt/qt_network_window.h"
#include "ui/qt/window_host.h"
#include "ui/tests/network_traffic.h"
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

// The window path's event loop ends, with 0, only once both windows have closed.
TEST(NetworkWindowClose, TerminationSignalClosesBothWindows) {
    testApplication();
    DmxUniverseState state;
    NetworkWindowOptions options;
    options.startTimer = false;
    const uint64_t nowUs = 5000000;
    options.clockUs = [nowUs] { return nowUs; };
    const auto window = createNetworkWindow(state, options);
    window->host->show();
    startScan(window->engines.scan, nowUs);
    Ipv4Address sender;
    parseIpv4("10.0.0.1", sender);
    for (const auto& p : network_traffic::round(1)) {
        takeScanDatagram(window->engines.scan, p.port, p.bytes.data(), p.bytes.size(), sender, nowUs);
    }
    refreshNetworkViews(window->engines, nowUs);
    selectNetworkRow(window->engines, kNetworkSourcesTable, 1);
    setControlText(window->widgets, kNetworkLocalIpv4Field, "127.0.0.1");
    handleNetworkCommand(*window, kNetworkMonitorButton, kClickNotification);
    ASSERT_TRUE(hasOpenMainWindow(*window));

    ASSERT_TRUE(closeWindowOnTerminationSignals(*window->host));
    std::raise(SIGTERM);
    QTimer stuck;  // bounds the wait when a window stays open
    QObject::connect(&stuck, &QTimer::timeout, [] { QApplication::exit(2); });
    stuck.start(20000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(window->engines.stopped);
    EXPECT_TRUE(window->mainWindow->engines.stopped);
    EXPECT_FALSE(window->mainWindow->host->isVisible());
    restoreTerminationSignals();
}

}  // namespace
