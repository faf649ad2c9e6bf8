// The MIDI page end to end against a JACK server with the dummy driver: the window's
// own selectors, buttons, list and status text, with our JACK peer as the device.
// Rows come from the MIDI thread through the hand-over and the window's wake-up alone.
#include <gtest/gtest.h>

#include <memory>

#include "midi/tests/jack_peer.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr int kArrivalTimeoutMs = 3000;

uint32_t word(uint8_t b0, uint8_t b1, uint8_t b2) { return b0 | b1 << 8 | b2 << 16; }

class WindowMidi : public ::testing::Test {
protected:
    void SetUp() override {
        // The peer first, so the window lists its ports when it is built.
        ASSERT_TRUE(openJackPeer(peer, "peer", {"in"}, {"out"})) << "no JACK server: run through ctest";
        w = std::make_unique<QtWindowDriver>();
        w->click(kMidiPageButton);
    }
    void TearDown() override {
        w.reset();
        closeJackPeer(peer);
    }
    // Selects the entry that ends with the port's JACK name; false when none does.
    bool selectPort(int selector, const std::string& name) {
        const std::vector<std::string> entries = w->entries(selector);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].ends_with(" · " + name)) {
                w->select(selector, static_cast<int>(i));
                return true;
            }
        }
        return false;
    }
    std::size_t rowCount() { return w->messageRows().size(); }
    bool rowsArrive(std::size_t count) {
        return w->eventually([&] { return rowCount() >= count; }, kArrivalTimeoutMs);
    }

    JackPeer peer;
    std::unique_ptr<QtWindowDriver> w;
};

TEST_F(WindowMidi, ReceivedNoteAppearsAsARow) {
    ASSERT_TRUE(selectPort(203, peerOutputName(peer, 0)));
    w->click(205);
    ASSERT_EQ(w->text(205), "Stop MIDI RX");

    ASSERT_TRUE(sendFromPeer(peer, 0, {0x90, 60, 127}));
    ASSERT_TRUE(rowsArrive(1));
    const std::string row = w->messageRows()[0];
    EXPECT_TRUE(row.ends_with(" ms | Note On | Ch 1 | Nr 60 | Value 127")) << row;
    EXPECT_NE(row.find_first_of("0123456789"), std::string::npos);

    // A velocity-0 Note On and a clock byte: one more row, the clock is not listed.
    ASSERT_TRUE(sendFromPeer(peer, 0, {0xF8}));
    ASSERT_TRUE(sendFromPeer(peer, 0, {0x91, 61, 0}));
    ASSERT_TRUE(rowsArrive(2));
    EXPECT_TRUE(w->messageRows()[1].ends_with(" | Note Off (V0) | Ch 2 | Nr 61 | Value 0"));
    w->tick(21);
    EXPECT_EQ(w->text(kMidiStatusText), "MIDI RX 2 | TX 0 | Rejected 0\n");

    w->click(205);
    EXPECT_EQ(w->text(205), "Start MIDI RX");
}

TEST_F(WindowMidi, SendMidiPulseReachesThePeerAndIsReleasedByTheTick) {
    ASSERT_TRUE(selectPort(204, peerInputName(peer, 0)));
    w->setText(210, "500");
    w->tick();   // t0 + 10: status written
    w->click(211);  // Note On, channel 1, number 60, value 127; release due at t0 + 510
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[0].word, word(0x90, 60, 127));

    w->tick(30);  // t0 + 310
    w->click(212);   // Note Off is refused while the pulse runs
    w->tick(19);  // t0 + 500: the status shows why, nothing more was sent
    EXPECT_EQ(w->messageLine(kMidiStatusText), "Wait for the current MIDI pulse to finish.");
    EXPECT_EQ(peerEvents(peer).size(), 1u);

    w->tick(1);  // t0 + 510: the release goes out
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
    w->tick(21);
    EXPECT_EQ(w->text(kMidiStatusText), "MIDI RX 0 | TX 2 | Rejected 0\n");
}

TEST_F(WindowMidi, FirstPulseCountsFromItsSendNotFromBeforeThePortOpened) {
    // The first Send MIDI opens the output port, which takes JACK 20 to 50 ms; here the
    // window's clock makes that 1000 ms, so a pulse timed from the click would end at once.
    w->engines().clock = [driver = w.get()] { return driver->now + (driver->engines().midi.outputPort != nullptr ? 1000 : 0); };
    ASSERT_TRUE(selectPort(204, peerInputName(peer, 0)));
    w->click(211);  // Note On, pulse 200
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs)) << w->engines().midi.notice;
    w->tick(19);  // 190 ms after the send
    EXPECT_EQ(w->engines().midi.sentCount, 1u) << "released before its 200 ms";
    w->tick(1);
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
}

TEST_F(WindowMidi, ClosingTheWindowSwitchesHeldNotesOffFirst) {
    ASSERT_TRUE(selectPort(204, peerInputName(peer, 0)));
    w->setText(210, "0");  // hold
    w->click(211);
    ASSERT_TRUE(waitForPeerEvents(peer, 1, kArrivalTimeoutMs));
    w->close();
    ASSERT_TRUE(waitForPeerEvents(peer, 2, kArrivalTimeoutMs));
    EXPECT_EQ(peerEvents(peer)[1].word, word(0x80, 60, 0));
    EXPECT_EQ(w->engines().midi.outputPort, nullptr);
}

TEST_F(WindowMidi, PortsAreOpenedAsListedWhenOurOwnPortTakesAFreedSlot) {
    // A client leaves and frees a port slot before the device's ports; JACK gives the slot
    // to the next port made, here our own input, which lands ahead of the device's input.
    JackPeer early, late;
    ASSERT_TRUE(openJackPeer(early, "early", {"in"}, {}));
    ASSERT_TRUE(openJackPeer(late, "late", {"in"}, {"out"}));
    closeJackPeer(early);
    w->click(215);  // Refresh ports
    ASSERT_TRUE(selectPort(203, peerOutputName(late, 0)));
    w->click(205);
    ASSERT_EQ(w->text(205), "Stop MIDI RX");
    ASSERT_TRUE(selectPort(204, peerInputName(late, 0)));
    w->setText(210, "0");  // hold
    w->click(211);
    EXPECT_TRUE(waitForPeerEvents(late, 1, kArrivalTimeoutMs)) << w->messageLine(kMidiStatusText);
    EXPECT_EQ(peerEvents(late).size(), 1u);

    // The monitor shows what the device sends, never our own Note On: the device's message,
    // sent after ours had arrived, is the first row.
    ASSERT_TRUE(sendFromPeer(late, 0, {0xB0, 7, 1}));
    ASSERT_TRUE(rowsArrive(1));
    EXPECT_TRUE(w->messageRows()[0].ends_with(" | CC | Ch 1 | Nr 7 | Value 1")) << w->messageRows()[0];
    w->click(214);  // Close MIDI ports
    closeJackPeer(late);
}

}  // namespace
