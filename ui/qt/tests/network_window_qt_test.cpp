// The Qt Network window on the offscreen platform: the grid's pixels show each slot's
// winner, "Monitor this universe" opens the main window receiving that universe, and a
// termination signal closes both windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <csignal>

#include "ui/network_texts.h"
#include "ui/qt/level_grid_widget.h"
#include "ui/qt/qt_network_window.h"
#include "ui/qt/termination_signals.h"
#include "ui/qt/tests/window_test_support.h"
#include "ui/qt/window_host.h"
#include "ui/tests/network_traffic.h"

namespace {

struct QtNetworkWindow : ::testing::Test {
    DmxUniverseState state;
    uint64_t nowUs = 5000000;
    std::unique_ptr<NetworkWindow> window;

    void SetUp() override {
        testApplication();
        startSocketLibrary();
        NetworkWindowOptions options;
        options.startTimer = false;
        options.clockUs = [this] { return nowUs; };
        window = createNetworkWindow(state, options);
        window->host->show();
        startScan(window->engines.scan, nowUs);
        Ipv4Address sender;
        parseIpv4("10.0.0.1", sender);
        for (const auto& p : network_traffic::round(1)) {
            takeScanDatagram(window->engines.scan, p.port, p.bytes.data(), p.bytes.size(), sender, nowUs);
        }
        refreshNetworkViews(window->engines, nowUs);
        selectNetworkRow(window->engines, kNetworkSourcesTable, 1);  // Desk A, universe 7
    }
    void TearDown() override {
        window.reset();
        stopSocketLibrary();
    }
};

QRgb rgbOf(uint32_t value) { return qRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

TEST_F(QtNetworkWindow, GridPixelsShowEachSlotsWinner) {
    const QImage grid = window->grid->grab().toImage();
    // In table order Desk A, Desk B, Backup: colours 0, 1, 2.
    const struct {
        int slot;
        int8_t colour;
    } cases[] = {{0, 1}, {23, 1}, {24, 0}, {32, 2}, {47, 2}, {48, 0}, {511, 0}};
    for (const auto& c : cases) {
        const PixelRect cell = gridCellRect(c.slot);
        const QPoint marker(cell.x + 2, cell.y + cell.height - kGridMarkerHeight);
        EXPECT_EQ(grid.pixel(marker), rgbOf(sourceColour(c.colour))) << c.slot;
        const QPoint fill(cell.x + 2, cell.y + 2);
        const uint8_t level = window->grid->grid().levels[static_cast<std::size_t>(c.slot)];
        EXPECT_EQ(grid.pixel(fill), rgbOf(gridCellFill(level))) << c.slot;
    }
}

// Real sockets: run in a private network namespace.
TEST_F(QtNetworkWindow, MonitorOpensTheMainWindowReceivingTheUniverse) {
    setControlText(window->widgets, kNetworkLocalIpv4Field, "127.0.0.1");
    handleNetworkCommand(*window, kNetworkMonitorButton, kClickNotification);
    ASSERT_TRUE(hasOpenMainWindow(*window));
    MainWindow& main = *window->mainWindow;
    EXPECT_TRUE(main.host->isVisible());
    EXPECT_EQ(controlText(main.widgets, kDmxUniverseField), "7");
    EXPECT_EQ(controlText(main.widgets, kDmxLocalIpv4Field), "127.0.0.1");
    EXPECT_EQ(controlText(main.widgets, kDmxProtocolSelector), "sACN");
    EXPECT_EQ(controlText(main.widgets, kDmxStartRxButton), "Stop RX");
    // A second click brings the same window forward.
    handleNetworkCommand(*window, kNetworkMonitorButton, kClickNotification);
    EXPECT_EQ(window->mainWindow.get(), &main);
    EXPECT_EQ(controlText(main.widgets, kDmxStartRxButton), "Stop RX");
}

// The window path's event loop ends, with 0, only once both windows have closed.
TEST_F(QtNetworkWindow, TerminationSignalClosesBothWindows) {
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
