// The MIDI page end to end against a JACK server with the dummy driver: the window's
// own selectors, buttons, list and status text, with our JACK peer as the device.
// Rows come from the MIDI thread through the hand-over and the window's wake-up alone.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest/QTest>
#include <chrono>
#include <memory>
#include <thread>

#include "midi/tests/jack_peer.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr int kArrivalTimeoutMs = 3000;

uint32_t word(uint8_t b0, uint8_t b1, uint8_t b2) { return b0 | b1 << 8 | b2 << 16; }

// Runs the event loop (never the timer tick) until the condition holds or time is up.
template <typename Condition>
bool eventuallyWithEvents(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kArrivalTimeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Selects the entry that ends with the port's JACK name; false when none does.
bool selectPort(MainWindow& w, int selector, const std::string& name) {
    auto* box = control<QComboBox>(w, selector);
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).toStdString().ends_with(" · " + name)) {
            box->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

class WindowMidi : public ::testing::Test {
protected:
    void SetUp() override {
        // The peer first, so the window lists its ports when it is built.
        ASSERT_TRUE(openJackPeer(peer, "peer", {"in"}, {"out"})) << "no JACK server: run through ctest";
        t = std::make_unique<TestWindow>();
        w = t->window.get();
        w->host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w->host));
        click(kMidiPageButton);
    }
    void TearDown() override {
        t.reset();
        closeJackPeer(peer);
    }
    void click(int id) { QTest::mouseClick(control<QPushButton>(*w, id), Qt::LeftButton); }

    JackPeer peer;
    std::unique_ptr<TestWindow> t;
    MainWindow* w = nullptr;
};

TEST_F(WindowMidi, ReceivedNoteAppearsAsARow) {
    ASSERT_TRUE(selectPort(*w, 203, peerOutputName(peer, 0)));
    click(205);
    ASSERT_EQ(textOf(*w, 205), "Stop MIDI RX");

    auto* list = control<QListWidget>(*w, kMidiMessageList);
    ASSERT_TRUE(sendFromPeer(peer, 0, {0x90, 60, 127}));
    ASSERT_TRUE(eventuallyWithEvents([&] { return list->count() >= 1; }));
    const std::string row = list->item(0)->text().toStdString();
    EXPECT_TRUE(row.ends_with(" ms | Note On | Ch 1 | Nr 60 | Value 127")) << row;
    EXPECT_NE(row.find_first_of("0123456789"), std::string::npos);

    // A velocity-0 Note On and a clock byte: one more row, the clock is not listed.
    ASSERT_TRUE(sendFromPeer(peer, 0, {0xF8}));
    ASSERT_TRUE(sendFromPeer(peer, 0, {0x91, 61, 0}));
    ASSERT_TRUE(eventuallyWithEvents([&] { return list->count() >= 2; }));
    EXPECT_TRUE(list->item(1)->text().toStdString().ends_with(" | Note Off (V0) | Ch 2 | Nr 61 | Value 0"));
    t->tick(21);
    EXPECT_EQ(textOf(*w, kMidiStatusText), "MIDI RX 2 | TX 0 | Rejected 0\n");

    click(205);
    EXPECT_EQ(textOf(*w, 205), "Start MIDI RX");
}

TEST_F(WindowMidi, SendMidiPulseReachesThePeerAndIsReleasedByTheTick) {
    ASSERT_TRUE(selectPort(*w, 204, peerInputName(peer, 0)));
    control<QWidget>(*w, 210)->setProperty("text", QStringLiteral("500"));
    t->tick();   // t0 + 10: status written
    click(211);  // Note On, channel 1, number 60, value 127; release due at t0 + 510
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[0].word, word(0x90, 60, 127));

    t->tick(30);  // t0 + 310
    click(212);   // Note Off is refused while the pulse runs
    t->tick(19);  // t0 + 500: the status shows why, nothing more was sent
    EXPECT_EQ(messageLine(*w, kMidiStatusText), "Wait for the current MIDI pulse to finish.");
    EXPECT_EQ(peerEvents(peer).size(), 1u);

    t->tick(1);  // t0 + 510: the release goes out
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
    t->tick(21);
    EXPECT_EQ(textOf(*w, kMidiStatusText), "MIDI RX 0 | TX 2 | Rejected 0\n");
}

TEST_F(WindowMidi, FirstPulseCountsFromItsSendNotFromBeforeThePortOpened) {
    // The first Send MIDI opens the output port, which takes JACK 20 to 50 ms; here the
    // window's clock makes that 1000 ms, so a pulse timed from the click would end at once.
    w->engines.clock = [test = t.get(), window = w] { return test->now + (window->engines.midi.outputPort != nullptr ? 1000 : 0); };
    ASSERT_TRUE(selectPort(*w, 204, peerInputName(peer, 0)));
    click(211);  // Note On, pulse 200
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs)) << w->engines.midi.notice;
    t->tick(19);  // 190 ms after the send
    EXPECT_EQ(w->engines.midi.sentCount, 1u) << "released before its 200 ms";
    t->tick(1);
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
}

TEST_F(WindowMidi, ClosingTheWindowSwitchesHeldNotesOffFirst) {
    ASSERT_TRUE(selectPort(*w, 204, peerInputName(peer, 0)));
    control<QWidget>(*w, 210)->setProperty("text", QStringLiteral("0"));  // hold
    click(211);
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    w->host->close();
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
    EXPECT_EQ(w->engines.midi.outputPort, nullptr);
}

TEST_F(WindowMidi, PortsAreOpenedAsListedWhenOurOwnPortTakesAFreedSlot) {
    // A client leaves and frees a port slot before the device's ports; JACK gives the slot
    // to the next port made, here our own input, which lands ahead of the device's input.
    JackPeer early, late;
    ASSERT_TRUE(openJackPeer(early, "early", {"in"}, {}));
    ASSERT_TRUE(openJackPeer(late, "late", {"in"}, {"out"}));
    closeJackPeer(early);
    click(215);  // Refresh ports
    ASSERT_TRUE(selectPort(*w, 203, peerOutputName(late, 0)));
    click(205);
    ASSERT_EQ(textOf(*w, 205), "Stop MIDI RX");
    ASSERT_TRUE(selectPort(*w, 204, peerInputName(late, 0)));
    control<QWidget>(*w, 210)->setProperty("text", QStringLiteral("0"));  // hold
    click(211);
    EXPECT_TRUE(waitForPeerEvents(late, 1, kArrivalTimeoutMs)) << messageLine(*w, kMidiStatusText);
    EXPECT_EQ(peerEvents(late).size(), 1u);

    // The monitor shows what the device sends, never our own Note On: the device's message,
    // sent after ours had arrived, is the first row.
    auto* list = control<QListWidget>(*w, kMidiMessageList);
    ASSERT_TRUE(sendFromPeer(late, 0, {0xB0, 7, 1}));
    ASSERT_TRUE(eventuallyWithEvents([&] { return list->count() >= 1; }));
    EXPECT_TRUE(list->item(0)->text().toStdString().ends_with(" | CC | Ch 1 | Nr 7 | Value 1"))
        << list->item(0)->text().toStdString();
    click(214);  // Close MIDI ports
    closeJackPeer(late);
}

}  // namespace
