// The DMX page end to end: real window, real sockets, a peer socket on loopback.
// Runs inside a private network namespace, so the multicast join and every send stay
// on this machine's loopback.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <csignal>
#include <vector>

#include "core/packet_codec.h"
#include "core/tests/packet_bytes.h"
#include "net/socket/socket_layer.h"
#include "ui/qt/level_table_model.h"
#include "ui/qt/termination_signals.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

Ipv4Address address(const char* text) {
    Ipv4Address result;
    EXPECT_TRUE(parseIpv4(text, result)) << text;
    return result;
}

// One UDP socket standing for another console on the network.
struct PeerSocket {
    SocketHandle handle = openUdpSocket();
    explicit PeerSocket(const char* local, uint16_t port) {
        setReuseAddress(handle, true);
        EXPECT_TRUE(bindSocket(handle, address(local), port)) << local << " " << lastSocketError();
        setNonBlocking(handle, true);
    }
    ~PeerSocket() { closeSocket(handle); }
    PeerSocket(const PeerSocket&) = delete;
    PeerSocket& operator=(const PeerSocket&) = delete;

    void send(const std::vector<uint8_t>& packet, const char* to, uint16_t port) const {
        ASSERT_EQ(sendDatagram(handle, packet.data(), packet.size(), address(to), port), static_cast<long>(packet.size()));
    }
    // The levels of every sACN packet waiting, oldest first.
    std::vector<std::vector<uint8_t>> receiveLevels() const {
        std::vector<std::vector<uint8_t>> packets;
        uint8_t buffer[1500];
        for (int i = 0; i < 1000; ++i) {
            const long length = receiveDatagram(handle, buffer, sizeof buffer);
            if (length < 0) break;
            DmxPacketInfo info;
            EXPECT_TRUE(parseDmxPacket(buffer, static_cast<std::size_t>(length), DmxProtocol::Sacn, info));
            packets.emplace_back(buffer + info.dataOffset, buffer + info.dataOffset + info.slotCount);
        }
        return packets;
    }
};

std::vector<uint8_t> sacnPacket(uint8_t sequence, std::initializer_list<std::pair<int, uint8_t>> levels) {
    DmxUniverseState sender;
    sender.universe = 100;
    sender.sequence = sequence;
    for (const auto& [slot, value] : levels) sender.levels[slot - 1] = value;
    return packetBytes(buildDmxPacket(sender));
}

std::string cell(const MainWindow& w, int row, int column) {
    const QAbstractItemModel* model = w.widgets.levelModel;
    return model->data(model->index(row, column)).toString().toStdString();
}

void setField(MainWindow& w, int id, const char* text) { control<QLineEdit>(w, id)->setText(QString::fromUtf8(text)); }

void click(MainWindow& w, int id) { QTest::mouseClick(control<QPushButton>(w, id), Qt::LeftButton); }

bool networkFieldsEnabled(const MainWindow& w) {
    bool all = true, none = true;
    for (int id : {101, 102, 103, 104}) {
        const bool enabled = control<QWidget>(w, id)->isEnabled();
        all = all && enabled;
        none = none && !enabled;
    }
    EXPECT_TRUE(all || none) << "the four network fields lock together";
    return all;
}

class WindowDmx : public ::testing::Test {
protected:
    void SetUp() override {
        t.window->host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(t.window->host));
    }
    TestWindow t;
    MainWindow& w = *t.window;
};

TEST_F(WindowDmx, StartRxShowsUnicastAndMulticastPacketsInTableAndStatus) {
    click(w, 105);
    ASSERT_EQ(textOf(w, 105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(w));

    PeerSocket peer("127.0.0.1", 0);
    peer.send(sacnPacket(17, {{1, 10}, {512, 77}}), "127.0.0.1", kSacnPort);
    t.tick(20);
    EXPECT_EQ(cell(w, 0, 1), "10");
    EXPECT_EQ(cell(w, 1, 1), "0");
    EXPECT_EQ(cell(w, 511, 1), "77");
    EXPECT_EQ(cell(w, 0, 2), "0");
    const std::string status = textOf(w, kDmxStatusText);
    EXPECT_EQ(status.rfind("RX 1 | TX 0 | Rejected 0 | 127.0.0.1 | U 100 | Seq 17 | Priority 100 | Alter ", 0), 0u)
        << status;

    // The group the window joined for universe 100.
    peer.send(sacnPacket(18, {{1, 200}}), "239.255.0.100", kSacnPort);
    peer.send({1, 2, 3}, "127.0.0.1", kSacnPort);  // not a packet: counted as rejected
    t.tick(20);
    EXPECT_EQ(cell(w, 0, 1), "200");
    EXPECT_EQ(cell(w, 511, 1), "0");
    EXPECT_EQ(textOf(w, kDmxStatusText).rfind("RX 2 | TX 0 | Rejected 1 | 127.0.0.1 | U 100 | Seq 18 |", 0), 0u)
        << textOf(w, kDmxStatusText);
}

TEST_F(WindowDmx, DoubleClickOnStartRxTogglesOnceAndResetUnlocks) {
    // A whole double click on Start RX, through the window as the platform delivers it.
    QTest::mouseDClick(w.host->windowHandle(), Qt::LeftButton, {}, QPoint(800, 150));
    // The first click started receiving; the second click of the double click is no command.
    EXPECT_EQ(textOf(w, 105), "Stop RX");
    EXPECT_FALSE(networkFieldsEnabled(w));

    setField(w, 110, "");  // a refused send leaves a message for Reset network to clear
    click(w, 107);
    t.tick(21);
    EXPECT_EQ(messageLine(w, kDmxStatusText), kRangeMessage);

    click(w, 116);
    EXPECT_EQ(textOf(w, 105), "Start RX");
    EXPECT_TRUE(networkFieldsEnabled(w));
    t.tick(21);
    EXPECT_EQ(messageLine(w, kDmxStatusText), "");
}

TEST_F(WindowDmx, PulseReachesThePeerRepeatsAndEndsWithZeros) {
    PeerSocket peer("127.0.0.2", kSacnPort);
    setField(w, 104, "127.0.0.2");
    setField(w, 109, "1");
    setField(w, 112, "3");
    setField(w, 110, "255");
    setField(w, 113, "200");
    click(w, 108);
    EXPECT_FALSE(networkFieldsEnabled(w));  // the transmit endpoint is open
    EXPECT_EQ(cell(w, 0, 2), "255");
    EXPECT_EQ(cell(w, 2, 2), "255");
    EXPECT_EQ(cell(w, 3, 2), "0");

    std::vector<std::vector<uint8_t>> packets = peer.receiveLevels();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][0], 255);
    EXPECT_EQ(packets[0][2], 255);
    EXPECT_EQ(packets[0][3], 0);

    // 400 ms of ticks: repeats every 33 ms until the deadline, then one zero packet.
    int repeats = 0;
    bool ended = false;
    for (int tick = 0; tick < 40; ++tick) {
        t.tick();
        for (const auto& levels : peer.receiveLevels()) {
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
    EXPECT_EQ(cell(w, 0, 2), "0");
    EXPECT_EQ(textOf(w, kDmxStatusText).rfind("RX 0 | TX " + std::to_string(repeats + 2) + " | ", 0), 0u);
}

// However the window is asked to close (its close button, SIGTERM, SIGINT), a pending
// pulse sends its channels at 0 once before everything stops.
TEST(WindowDmxClose, ClosingDuringAPulseSendsItsZerosOnceThenStopsEverything) {
    for (int way : {0, SIGTERM, SIGINT}) {
        TestWindow t;
        MainWindow& w = *t.window;
        w.host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.host));
        PeerSocket peer("127.0.0.2", kSacnPort);
        click(w, 105);
        setField(w, 104, "127.0.0.2");
        setField(w, 109, "5");
        setField(w, 112, "5");
        setField(w, 110, "99");
        setField(w, 113, "60000");
        click(w, 108);
        t.tick(5);
        ASSERT_FALSE(peer.receiveLevels().empty()) << way;

        if (way == 0) {
            w.host->close();
        } else {
            ASSERT_TRUE(closeWindowOnTerminationSignals(*w.host));
            raise(way);
            EXPECT_TRUE(QTest::qWaitFor([&] { return w.engines.stopped; }, 5000)) << way;
        }
        const auto packets = peer.receiveLevels();
        ASSERT_EQ(packets.size(), 1u) << way;
        EXPECT_EQ(packets[0][4], 0);
        EXPECT_FALSE(w.host->isVisible());
        EXPECT_EQ(textOf(w, 105), "Start RX");
        EXPECT_EQ(w.engines.dmx.receiveEndpoint, kInvalidSocket);
        EXPECT_EQ(w.engines.dmx.transmitEndpoint, kInvalidSocket);
        t.advanceWithoutTick(1000);
        handleWindowTick(w);
        EXPECT_TRUE(peer.receiveLevels().empty());
        restoreTerminationSignals();
    }
}

}  // namespace
