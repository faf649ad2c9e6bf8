// The MIDI page end to end under wine with the looped-back stand-in winmm.dll (one
// input, one output, loaded with winmm=n,b): the window's own selectors, buttons, list
// and status text; rows come from winmm's callback thread through WM_APP + 7 alone.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr int kArrivalTimeoutMs = 3000;

class WindowMidiLoop : public ::testing::Test {
protected:
    void SetUp() override {
        t.click(kMidiPageButton);
        // The placeholder, then the loop device of each direction, named as winmm names it.
        for (int id : {203, 204}) ASSERT_EQ(t.entries(id).size(), 2u) << id;
        t.select(203, 1);
        t.select(204, 1);
    }
    bool rowsArrive(std::size_t count) {
        return t.eventually([&] { return t.messageRows().size() == count; }, kArrivalTimeoutMs);
    }
    Win32WindowDriver t;
};

TEST_F(WindowMidiLoop, PortNamesReachTheSelectorsIntact) {
    EXPECT_EQ(t.text(203), "0 · Loop \"In\" \\ Ä");
    EXPECT_EQ(t.text(204), "0 · Loop Out ü");
}

TEST_F(WindowMidiLoop, SentPulseComesBackAsRowsAndTheTickReleasesIt) {
    t.click(205);
    ASSERT_EQ(t.text(205), "Stop MIDI RX");
    t.tick();
    t.click(211);  // Note On, channel 1, number 60, value 127, released after 200 ms
    ASSERT_TRUE(rowsArrive(1));
    EXPECT_TRUE(t.messageRows()[0].ends_with(" ms | Note On | Ch 1 | Nr 60 | Value 127")) << t.messageRows()[0];

    t.tick(19);  // 190 ms: still held
    pumpMessages();
    EXPECT_EQ(t.messageRows().size(), 1u);
    t.tick(2);  // the release goes out
    ASSERT_TRUE(rowsArrive(2));
    EXPECT_TRUE(t.messageRows()[1].ends_with(" ms | Note Off | Ch 1 | Nr 60 | Value 0")) << t.messageRows()[1];
    t.tick(21);
    EXPECT_EQ(t.text(kMidiStatusText), "MIDI RX 2 | TX 2 | Rejected 0\n");

    t.click(205);
    EXPECT_EQ(t.text(205), "Start MIDI RX");
}

TEST_F(WindowMidiLoop, ClosingTheWindowClosesBothPorts) {
    t.click(205);
    t.setText(210, "0");  // hold
    t.click(211);
    ASSERT_TRUE(rowsArrive(1));
    SendMessageW(t.handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(t.window->engines.midi.inputPort, nullptr);
    EXPECT_EQ(t.window->engines.midi.outputPort, nullptr);
    EXPECT_TRUE(t.window->engines.midi.heldNotes.empty());
    EXPECT_FALSE(IsWindow(t.handle));
    pumpMessages();
}

}  // namespace
