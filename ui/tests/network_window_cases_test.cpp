// The Network window's cases, written once and run on every front end's real window
// (network_window_driver.h) with real sockets on loopback, in a private network namespace.
#include <gtest/gtest.h>

#include <algorithm>

#include "net/dmx/dmx_control_ids.h"
#include "net/socket/socket_layer.h"
#include "ui/network_controls.h"
#include "ui/network_texts.h"
#include "ui/tests/network_traffic.h"
#include "ui/tests/network_window_driver.h"
#include "ui/window_controls.h"

namespace {

using Row = std::vector<std::string>;

struct NetworkWindowCase : ::testing::Test {
    void SetUp() override { startSocketLibrary(); }
    void TearDown() override {
        w.reset();
        stopSocketLibrary();
    }
    // Scans loopback and sends one round of the small network to it; every source, the
    // sender and the node have a row.
    void scanTheSmallNetwork() {
        w->setText(kNetworkLocalIpv4Field, "127.0.0.1");
        w->setText(kNetworkUniversesField, "1-8");
        w->click(kNetworkScanButton);
        ASSERT_EQ(w->text(kNetworkScanButton), "Stop scan") << w->text(kNetworkStatusText);
        const SocketHandle sender = openUdpSocket();
        Ipv4Address loopback;
        parseIpv4("127.0.0.1", loopback);
        ASSERT_TRUE(network_traffic::sendRound(sender, loopback, 1));
        closeSocket(sender);
        ASSERT_TRUE(w->eventually([&] {
            return w->rows(kNetworkSourcesTable).size() == 4 && w->rows(kNetworkSendersTable).size() == 1 &&
                   w->rows(kNetworkNodesTable).size() == 1;
        })) << w->text(kNetworkStatusText);
    }
    std::unique_ptr<NetworkWindowDriver> w = std::make_unique<NetworkWindowDriver>();
};

// Start scan / Stop scan: the caption, the fields locked while scanning, Poll nodes only
// then; a field that does not read refuses to start and says why.
TEST_F(NetworkWindowCase, ScanButtonLocksTheFields) {
    const struct {
        const char* local;
        const char* universes;
        const char* caption;  // after the click
        const char* message;  // in the status, "" for any
    } clicks[] = {
        {"127.0.0.1", "1-2", "Stop scan", ""},
        {"127.0.0.1", "1-2", "Start scan", ""},
        {"10.0.0.300", "1", "Start scan", "Local IPv4 does not read"},
        {"127.0.0.1", "5-2", "Start scan", "Universes to join do not read"},
        {"127.0.0.1", "64000", "Start scan", "Universes to join do not read"},
    };
    EXPECT_EQ(w->text(kNetworkScanButton), "Start scan");
    EXPECT_FALSE(w->enabled(kNetworkPollButton));
    for (const auto& c : clicks) {
        w->setText(kNetworkLocalIpv4Field, c.local);
        w->setText(kNetworkUniversesField, c.universes);
        w->click(kNetworkScanButton);
        const bool scanning = std::string(c.caption) == "Stop scan";
        EXPECT_EQ(w->text(kNetworkScanButton), c.caption) << c.local << " " << c.universes;
        EXPECT_EQ(w->enabled(kNetworkLocalIpv4Field), !scanning) << c.local;
        EXPECT_EQ(w->enabled(kNetworkUniversesField), !scanning) << c.local;
        EXPECT_EQ(w->enabled(kNetworkPollButton), scanning) << c.local;
        EXPECT_NE(w->text(kNetworkStatusText).find(c.message), std::string::npos) << w->text(kNetworkStatusText);
    }
}

// The stable columns of every table (the rate column moves with the clock).
TEST_F(NetworkWindowCase, RowsFromDatagramsOverLoopback) {
    scanTheSmallNetwork();
    const struct {
        int table;
        std::vector<int> columns;
        std::vector<Row> rows;
    } tables[] = {
        {kNetworkSourcesTable,
         {0, 1, 2, 3, 5, 6},
         {{"3", "Other", "127.0.0.1", "100", "0", "live"},
          {"7", "Desk A", "127.0.0.1", "100", "0", "live"},
          {"7", "Desk B", "127.0.0.1", "120", "0", "live"},
          {"7", "Backup", "127.0.0.1", "50 · per address", "0", "live"}}},
        {kNetworkSendersTable, {0, 1, 3}, {{"258 (1:0:2)", "127.0.0.1", "0"}}},
        {kNetworkNodesTable, {0, 1, 2, 3}, {{"10.77.0.6", "Test node", "16, 17", "none"}}},
    };
    for (const auto& t : tables) {
        std::vector<Row> shown;
        for (const Row& row : w->rows(t.table)) {
            Row cells;
            for (int column : t.columns) cells.push_back(row.at(static_cast<std::size_t>(column)));
            shown.push_back(cells);
        }
        EXPECT_EQ(shown, t.rows) << t.table;
    }
    // Poll nodes sends its ArtPoll while scanning.
    w->click(kNetworkPollButton);
    EXPECT_EQ(w->text(kNetworkStatusText).find("was not sent"), std::string::npos) << w->text(kNetworkStatusText);
}

// A source's row selects its universe: the grid shows each slot's merged level and its
// winner's colour (Desk B wins slots 1-24, Backup 33-48 by per-address priority, Desk A
// the rest), the legend each source's colour; the selection stays on the row.
TEST_F(NetworkWindowCase, SelectionShowsTheGridAndLegend) {
    scanTheSmallNetwork();
    w->selectRow(kNetworkSourcesTable, 1);  // Desk A, universe 7
    ASSERT_TRUE(w->eventually([&] { return w->grid().universe == 7; }));
    EXPECT_EQ(w->text(kNetworkGridTitle).substr(0, 11), "Universe 7 ");
    EXPECT_EQ(w->selectedRow(kNetworkSourcesTable), 1);
    const NetworkGrid grid = w->grid();
    const WindowPicture picture = w->picture();
    const PixelRect area = networkControlRect(kNetworkLevelGrid, picture.width, picture.height);
    const struct {
        int slot;
        const char* text;
        int8_t colour;  // in table order Desk A, Desk B, Backup
    } cells[] = {{0, "200", 1}, {23, "200", 1}, {24, "11", 0}, {32, "77", 2}, {47, "77", 2}, {48, "23", 0}, {511, "255", 0}};
    for (const auto& c : cells) {
        EXPECT_EQ(gridCellText(grid, c.slot), c.text) << c.slot;
        const PixelRect cell = gridCellRect(c.slot);
        const int x = area.x + cell.x + 2;
        EXPECT_EQ(picture.at(x, area.y + cell.y + cell.height - kGridMarkerHeight), sourceColour(c.colour)) << c.slot;
        const uint8_t level = grid.levels[static_cast<std::size_t>(c.slot)];
        EXPECT_EQ(picture.at(x, area.y + cell.y + 2), gridCellFill(level)) << c.slot;
    }
    const PixelRect legend = networkControlRect(kNetworkLegend, picture.width, picture.height);
    const char* names[] = {"Desk A", "Desk B", "Backup"};
    ASSERT_EQ(grid.legend.size(), 3u);
    for (int8_t i = 0; i < 3; ++i) {
        EXPECT_EQ(grid.legend[static_cast<std::size_t>(i)].text.substr(0, 6), names[i]);
        const int swatchY = legend.y + 4 + i * kLegendRowHeight + 8;
        EXPECT_EQ(picture.at(legend.x + 12, swatchY), sourceColour(i)) << names[i];
    }
}

// The Events list, newest first: a rival at Other's priority on universe 3 is a priority
// conflict (both keep sending while the window ticks); selecting it shows universe 3 in
// the grid with Other, the first of the two, selected among the sources.
TEST_F(NetworkWindowCase, EventsListShowsAConflictThatSelectsItsUniverse) {
    scanTheSmallNetwork();
    const SocketHandle sender = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    uint8_t sequence = 1;
    const auto conflictRow = [&] {
        const auto rows = w->rows(kNetworkEventsTable);
        const auto found = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.at(1) == "priorityConflict"; });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    };
    ASSERT_TRUE(w->eventually([&] {
        ++sequence;
        for (const auto& p : {network_traffic::source(3, 4, 100, "Other", 512, 0, sequence, {}),
                              network_traffic::source(3, 5, 100, "Rival", 512, 0, sequence, {})}) {
            sendDatagram(sender, p.data(), p.size(), loopback, kSacnPort);
        }
        return conflictRow() >= 0;
    }, 10000));
    closeSocket(sender);
    const auto rows = w->rows(kNetworkEventsTable);
    const Row conflict = rows.at(static_cast<std::size_t>(conflictRow()));
    EXPECT_EQ(conflict.at(0).size(), 8u) << conflict.at(0);  // hh:mm:ss
    EXPECT_EQ(conflict.at(2), "universe 3 · Other (127.0.0.1)");
    EXPECT_EQ(rows.back(), (Row{rows.back().at(0), "sourceAppeared", "universe 7 · Desk A (127.0.0.1)"})) << "the oldest last";
    w->selectRow(kNetworkEventsTable, conflictRow());
    ASSERT_TRUE(w->eventually([&] { return w->grid().universe == 3; }));
    const int selected = w->selectedRow(kNetworkEventsTable);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(w->rows(kNetworkEventsTable).at(static_cast<std::size_t>(selected)).at(1), "priorityConflict");
    EXPECT_EQ(w->selectedRow(kNetworkSourcesTable), 0);
}

// "Monitor this universe" opens the main window set to sACN, the universe and the
// address, receiving; a second click brings the same window forward.
TEST_F(NetworkWindowCase, MonitorOpensTheMainWindowReceivingTheUniverse) {
    scanTheSmallNetwork();
    w->selectRow(kNetworkSourcesTable, 1);
    for (int click = 0; click < 2; ++click) {
        w->click(kNetworkMonitorButton);
        EXPECT_EQ(w->mainWindowsShown(), 1);
        const struct {
            int id;
            const char* text;
        } fields[] = {{kDmxProtocolSelector, "sACN"},
                      {kDmxUniverseField, "7"},
                      {kDmxLocalIpv4Field, "127.0.0.1"},
                      {kDmxStartRxButton, "Stop RX"}};
        for (const auto& f : fields) EXPECT_EQ(w->mainWindowText(f.id), f.text) << f.id << " click " << click;
    }
}

// Across a veth pair from npm sacn sources in a second namespace (tools/sacn-peer-namespace.sh,
// which the *_veth_tests entries run first): Monitor on 0.0.0.0 hands the main window
// universe 9 from its group, then universe 10 by unicast to this host, while the scan goes
// on hearing both.
TEST_F(NetworkWindowCase, MonitorAcrossAVethPairReceivesTheGroupAndUnicast) {
    Ipv4Address own;
    parseIpv4("10.77.0.1", own);
    const auto interfaces = listInterfaceAddresses();
    if (std::none_of(interfaces.begin(), interfaces.end(), [&](const auto& i) { return i.address == own; })) {
        GTEST_SKIP() << "no veth pair to a second namespace here";
    }
    w->setText(kNetworkLocalIpv4Field, "0.0.0.0");
    w->setText(kNetworkUniversesField, "1-16");
    w->click(kNetworkScanButton);
    const auto received = [&]() -> uint64_t {
        const std::string status = w->mainWindowText(kDmxStatusText);  // "RX <count> | ..." once receiving
        return status.rfind("RX ", 0) == 0 ? std::stoull(status.substr(3)) : 0;
    };
    for (const std::string universe : {"9", "10"}) {  // its group, unicast
        int row = -1;
        int rate = 0;  // the scan's datagrams per second from the source
        const auto liveRow = [&] {
            const auto rows = w->rows(kNetworkSourcesTable);
            for (row = 0; row < static_cast<int>(rows.size()); ++row) {
                if (rows[row][0] != universe || rows[row][2] != "10.77.0.2" || rows[row][6] != "live") continue;
                rate = std::stoi(rows[row][4]);
                return true;
            }
            return false;
        };
        ASSERT_TRUE(w->eventually(liveRow, 20000)) << universe << ": " << w->text(kNetworkStatusText);
        w->selectRow(kNetworkSourcesTable, row);
        w->click(kNetworkMonitorButton);
        ASSERT_EQ(w->mainWindowText(kDmxUniverseField), universe);
        const uint64_t before = received();
        const std::string heard = "10.77.0.2 | U " + universe + " |";
        // A second and a half of the stream later the scan still hears it too: a socket of
        // the main window's own would have taken the unicast from the scan's.
        EXPECT_TRUE(w->eventually([&] {
            return w->mainWindowText(kDmxStatusText).find(heard) != std::string::npos && received() >= before + 150 &&
                   liveRow() && rate >= 20;
        }, 20000)) << w->mainWindowText(kDmxStatusText) << " | scan: " << rate << "/s";
    }
}

}  // namespace
