// The Network window without any toolkit: routing, layout and the texts of its tables and
// grid over a scan engine fed with scripted datagrams and a scripted clock; then both
// windows on one set of real sockets on loopback. The scan button on the real windows is
// among the cases every front end runs (network_window_cases_test.cpp).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/tests/scan_packets.h"
#include "net/socket/socket_layer.h"
#include "net/dmx/tests/table_view.h"
#include "ui/monitor_universe.h"
#include "ui/network_procedure.h"
#include "ui/tests/network_traffic.h"
#include "ui/window_procedure.h"

namespace {

using namespace scan_packets;
using Rows = std::vector<std::vector<std::string>>;

struct RecordedView {
    std::map<int, std::string> fields{{kNetworkLocalIpv4Field, "0.0.0.0"}, {kNetworkUniversesField, "1-16"}};
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, NetworkTableRows> tables;
    NetworkGrid grid;
    int gridUpdates = 0;
    int tableUpdates = 0;
};

struct Fixture {
    RecordedView seen;
    NetworkWindowEngines engines;
    uint64_t nowUs = 1000000;
    std::vector<MonitorRequest> monitors;

    Fixture() {
        RecordedView* v = &seen;
        engines.view.fieldText = [v](int id) { return v->fields[id]; };
        engines.view.setControlText = [v](int id, const std::string& text) { v->texts[id] = text; };
        engines.view.enableControl = [v](int id, bool on) { v->enabled[id] = on; };
        engines.view.setTableRows = [v](int id, const NetworkTableRows& rows) {
            v->tables[id] = rows;
            ++v->tableUpdates;
        };
        engines.view.showLevelGrid = [v](const NetworkGrid& grid) {
            v->grid = grid;
            ++v->gridUpdates;
        };
        engines.clockUs = [this] { return nowUs; };
        engines.openMonitor = [this](const MonitorRequest& request) { monitors.push_back(request); };
        fillNetworkViews(engines);
        startScan(engines.scan, nowUs);
    }
    void take(DmxProtocol port, const std::vector<uint8_t>& packet, const char* sender) {
        Ipv4Address address;
        parseIpv4(sender, address);
        takeScanDatagram(engines.scan, port, packet.data(), packet.size(), address, nowUs);
    }
    void click(int id) { runNetworkCommand(engines, id, kClickNotification); }
};

// The small network of the front-end cases, every stream from one sender.
void feedNetwork(Fixture& f) {
    for (const auto& p : network_traffic::round(1)) f.take(p.port, p.bytes, "10.0.0.1");
}

TEST(NetworkRouting, CommandForEachIdAndNotification) {
    using C = NetworkCommand;
    const struct {
        int id;
        C onClick;
    } cases[] = {{kNetworkScanButton, C::ToggleScan},   {kNetworkPollButton, C::PollNodes},
                 {kNetworkMonitorButton, C::MonitorUniverse}, {kNetworkLocalIpv4Field, C::Nothing},
                 {kNetworkSourcesTable, C::Nothing},    {kDmxStartRxButton, C::Nothing}};
    for (const auto& c : cases) {
        EXPECT_EQ(networkCommandFor(c.id, kClickNotification), c.onClick) << c.id;
        EXPECT_EQ(networkCommandFor(c.id, kDoubleClickNotification), C::Nothing) << c.id;
    }
}

TEST(NetworkLayout, RectsForClientSizesAndGridCells) {
    const struct {
        int id, width, height;
        PixelRect rect;
    } cases[] = {
        {kNetworkSourcesTable, 1250, 680, {20, 200, 720, 170}},
        {kNetworkSourcesTable, 1450, 780, {20, 200, 720, 270}},
        {kNetworkSourcesTable, 900, 500, {20, 200, 720, 120}},  // below the minimum
        {kNetworkSendersTable, 1250, 630, {760, 200, 470, 45}},
        {kNetworkNodesTitle, 1250, 630, {760, 251, 300, 22}},
        {kNetworkNodesTable, 1250, 630, {760, 273, 470, 47}},
        {kNetworkNodesTable, 1450, 780, {760, 298, 670, 172}},
        {kNetworkLevelGrid, 1450, 780, {20, 500, 768, 224}},
        {kNetworkLegend, 1450, 780, {808, 478, 622, 124}},
        {kNetworkEventsTable, 1450, 780, {808, 628, 622, 96}},
        {kNetworkEventsTable, 1250, 630, {808, 478, 422, 96}},
        {kNetworkStatusText, 1450, 780, {20, 732, 1410, 40}},
        {kNetworkStatusText, 1250, 630, {20, 582, 1210, 40}},
        {kNetworkScanButton, 1450, 780, {480, 136, 160, 30}},
    };
    for (const auto& c : cases) EXPECT_EQ(networkControlRect(c.id, c.width, c.height), c.rect) << c.id << " " << c.width;
    // At the first and the least size every control ends inside the client area, and none
    // covers another.
    for (const auto& [width, height] : {std::pair{kNetworkInitialClientWidth, kNetworkInitialClientHeight},
                                       std::pair{kNetworkMinimumClientWidth, kNetworkMinimumClientHeight}}) {
        std::vector<PixelRect> placed;
        for (const NetworkControl& control : networkControlTable()) {
            const PixelRect r = control.id != 0 ? networkControlRect(control.id, width, height) : control.rect;
            EXPECT_LE(r.x + r.width, width) << control.text;
            EXPECT_LE(r.y + r.height, height) << control.text;
            for (const PixelRect& other : placed) {
                const bool apart = r.x >= other.x + other.width || other.x >= r.x + r.width || r.y >= other.y + other.height ||
                                   other.y >= r.y + r.height;
                EXPECT_TRUE(apart) << control.text << " at " << width << " x " << height;
            }
            placed.push_back(r);
        }
    }
    const struct {
        int x, y, slot;
    } cells[] = {{0, 0, 0}, {23, 13, 0}, {24, 0, 1}, {767, 0, 31}, {0, 14, 32}, {767, 223, 511}, {768, 0, -1}, {0, 224, -1}, {-1, 5, -1}};
    for (const auto& c : cells) EXPECT_EQ(gridSlotAt(c.x, c.y), c.slot) << c.x << "," << c.y;
    EXPECT_EQ(gridCellRect(33), (PixelRect{24, 14, 24, 14}));
}

// The rows themselves are among the front-end cases; here what moves with the clock:
// the last reply's age, rates over a second, the header flipping the order, a lost source.
TEST(NetworkViews, TablesFollowTheClock) {
    Fixture f;
    feedNetwork(f);
    f.nowUs += 100000;
    refreshNetworkViews(f.engines, f.nowUs);
    EXPECT_EQ(f.seen.tables[kNetworkNodesTable].rows, (Rows{{"10.77.0.6", "Test node", "16, 17", "none", "0 s"}}));
    for (uint8_t seq = 2; seq <= 45; ++seq) {
        f.nowUs += 22727;
        f.take(DmxProtocol::Sacn, network_traffic::source(3, 4, 100, "Other", 512, 0, seq, {}), "10.0.0.1");
    }
    f.nowUs += 10000;
    clickNetworkHeader(f.engines, kNetworkSourcesTable, kSourcesUniverseColumn);
    const auto& rows = f.seen.tables[kNetworkSourcesTable].rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "7");
    EXPECT_EQ(rows[3], (std::vector<std::string>{"3", "Other", "10.0.0.1", "100", "44", "0", "live"}));
    EXPECT_EQ(rows[1][6], "live");  // Desk B, silent for 1 s
    f.nowUs += 1500000;
    refreshNetworkViews(f.engines, f.nowUs);
    EXPECT_EQ(f.seen.tables[kNetworkSourcesTable].rows[1][6], "lost");  // and now for 2.5 s
}

// Winners, colours and the Monitor hand-over are among the front-end cases; here the
// legend's words, the selection across a re-sort, and a stream that ends.
TEST(NetworkViews, SelectionFollowsItsSourceAndAnEndedStreamLeavesTheMerge) {
    Fixture f;
    feedNetwork(f);
    refreshNetworkViews(f.engines, f.nowUs);
    selectNetworkRow(f.engines, kNetworkSourcesTable, 2);  // Desk B, universe 7
    EXPECT_EQ(f.seen.grid.universe, 7);
    ASSERT_EQ(f.seen.grid.legend.size(), 3u);
    EXPECT_EQ(f.seen.grid.legend[2].text, "Backup · 10.0.0.1 · priority 50 · per address · live");
    clickNetworkHeader(f.engines, kNetworkSourcesTable, kSourcesUniverseColumn);
    EXPECT_EQ(f.seen.tables[kNetworkSourcesTable].selectedRow, 1);

    // B ends its stream: it leaves the merge and A wins its slots; a refresh within the
    // quarter second hands nothing over.
    EXPECT_EQ(f.seen.grid.winnerColours[23], 1);
    SacnData end;
    end.universe = 7, end.cid = cidOf(2), end.priority = 120, end.name = "Desk B", end.slots = 24, end.sequence = 2;
    end.options = 0x40;
    f.take(DmxProtocol::Sacn, sacnData(end), "10.0.0.1");
    const int updates = f.seen.gridUpdates;
    f.nowUs += 100000;
    runNetworkTick(f.engines);
    EXPECT_EQ(f.seen.gridUpdates, updates);
    f.nowUs += 200000;
    runNetworkTick(f.engines);
    EXPECT_EQ(f.seen.gridUpdates, updates + 1);
    EXPECT_EQ(gridCellText(f.seen.grid, 23), "11");
    EXPECT_EQ(f.seen.grid.winnerColours[23], 0);
    EXPECT_EQ(f.seen.tables[kNetworkSourcesTable].rows[1][6], "stream ended");
}

TEST(NetworkViews, MonitorWithoutSelectionSaysSo) {
    Fixture f;
    f.click(kNetworkMonitorButton);
    EXPECT_TRUE(f.monitors.empty());
    EXPECT_NE(f.seen.texts[kNetworkStatusText].find("Select a source first"), std::string::npos);
}

// Poll nodes polls again every 3 s on the scripted clock: a node that answers each poll
// (its reply taken at the scripted time) is never 10 s silent, so never gone.
TEST(NetworkScan, PollNodesRepeatsSoAnAnsweringNodeStays) {
    startSocketLibrary();
    Fixture f;
    f.seen.fields[kNetworkLocalIpv4Field] = "127.0.0.1";
    f.seen.fields[kNetworkUniversesField] = "1";
    f.click(kNetworkScanButton);
    ASSERT_TRUE(f.engines.scanning) << f.seen.texts[kNetworkStatusText];
    // A node answering each poll sent (Windows shares no port with the scan, so the test
    // reads the send time instead of a socket of its own).
    uint64_t lastPollUs = UINT64_MAX;
    int polls = 0;
    const auto answerPolls = [&] {
        if (!f.engines.pollSent || f.engines.lastPollUs == lastPollUs) return;
        lastPollUs = f.engines.lastPollUs;
        ++polls;
        f.take(DmxProtocol::ArtNet, artPollReply(PollReply{}), "10.77.0.6");
    };
    f.click(kNetworkPollButton);
    answerPolls();
    for (int second = 1; second <= 15; ++second) {
        f.nowUs += 1000000;
        runNetworkTick(f.engines);
        // The poll of a due second goes out in the tick, its answer after the views.
        const std::string age = std::to_string((second - 1) % 3 + 1) + " s";
        ASSERT_EQ(f.seen.tables[kNetworkNodesTable].rows.size(), 1u) << second;
        EXPECT_EQ(f.seen.tables[kNetworkNodesTable].rows[0][4], age) << second;
        answerPolls();
    }
    EXPECT_EQ(polls, 6);  // 0, 3, 6, 9, 12 and 15 s
    stopNetworkEngines(f.engines);
    stopSocketLibrary();
}

// Monitor this universe while scanning: one set of sockets, both windows see every
// datagram, unicast and multicast; when the scan stops the main window binds its own.
TEST(NetworkScan, MonitoredUniverseSeenByBothWindows) {
    startSocketLibrary();
    Fixture f;
    f.engines.clockUs = monotonicMicroseconds;
    f.seen.fields[kNetworkLocalIpv4Field] = "0.0.0.0";
    f.seen.fields[kNetworkUniversesField] = "";
    f.click(kNetworkScanButton);
    ASSERT_TRUE(f.engines.scanning) << f.seen.texts[kNetworkStatusText];

    DmxUniverseState state;
    TableView table;
    WindowEngines main(state);
    main.dmxView = table.view();
    main.clock = [] { return uint64_t{1000}; };
    MainWindowGestures gestures;
    gestures.chooseEntry = [&](int id, int index) { table.selectors[id] = index; };
    gestures.typeText = [&](int id, const std::string& text) { table.texts[id] = text; };
    gestures.click = [&](int id) { runWindowCommand(main, id, kClickNotification); };
    followNetworkScan(main, f.engines, gestures);
    applyMonitorRequest(main, {7, "0.0.0.0"}, gestures);
    followNetworkScan(main, f.engines, gestures);
    ASSERT_EQ(main.dmx.feed, &f.engines.feed);
    ASSERT_EQ(table.texts[kDmxStartRxButton], "Stop RX");

    const SocketHandle sender = openUdpSocket();
    const auto sendTo = [&](const char* address, uint16_t universe, uint8_t sequence) {
        Ipv4Address to;
        parseIpv4(address, to);
        const auto packet = network_traffic::source(universe, 5, 100, "Both", 512, 0, sequence, {sequence});
        ASSERT_EQ(sendDatagram(sender, packet.data(), packet.size(), to, kSacnPort), static_cast<long>(packet.size()));
    };
    const struct {
        const char* address;
        uint16_t universe;
    } sends[] = {{"127.0.0.1", 7}, {"239.255.0.7", 7}, {"127.0.0.1", 8}, {"127.0.0.1", 7}, {"239.255.0.7", 7}};
    uint8_t sequence = 0;
    for (const auto& s : sends) sendTo(s.address, s.universe, ++sequence);
    for (int i = 0; i < 200 && f.engines.scan.datagrams < 5; ++i) runNetworkTick(f.engines);
    pollReceive(main.dmx, main.state, main.dmxView, 1000);
    EXPECT_EQ(f.engines.scan.datagrams, 5u);
    EXPECT_EQ(main.dmx.rxCount, 4u);  // universe 8 is not the one monitored
    EXPECT_EQ(table.cells[0][kDmxReceivedColumn], "5");

    // Stop scan: RX goes on, on the main window's own sockets.
    f.click(kNetworkScanButton);
    followNetworkScan(main, f.engines, gestures);
    EXPECT_EQ(main.dmx.feed, nullptr);
    EXPECT_EQ(table.texts[kDmxStartRxButton], "Stop RX");
    sendTo("127.0.0.1", 7, ++sequence);
    pollReceive(main.dmx, main.state, main.dmxView, 1000);
    EXPECT_EQ(main.dmx.rxCount, 5u);
    closeSocket(sender);
    stopReceive(main.dmx, main.dmxView);
    stopNetworkEngines(f.engines);
    stopSocketLibrary();
}

}  // namespace
