// Rows from the MIDI thread reach the window's list through the engine's hand-over and
// the front end's wake-up, without a timer tick; the list keeps the newest 500. The rows
// come from a thread of the test's own calling the input callback, as a device would.
#include <gtest/gtest.h>

#include <thread>

#include "ui/tests/window_driver.h"
#include "ui/window_controls.h"

namespace {

uint32_t noteOn(int note) { return 0x90u | static_cast<uint32_t>(note & 0x7F) << 8 | 100u << 16; }

TEST(WindowMidiRows, RowsArriveByWakeUpWithoutATick) {
    auto w = openTestWindow();
    MidiEngine& midi = w->engines().midi;
    std::thread([&] { onMidiInput(midi, noteOn(60), 1234); }).join();
    ASSERT_TRUE(w->eventually([&] { return w->messageRows().size() == 1; }));
    EXPECT_EQ(w->messageRows()[0], "1234 ms | Note On | Ch 1 | Nr 60 | Value 100");
    // A later message wakes the window again.
    std::thread([&] { onMidiInput(midi, noteOn(61), 1240); }).join();
    ASSERT_TRUE(w->eventually([&] { return w->messageRows().size() == 2; }));
    EXPECT_EQ(w->messageRows()[1], "1240 ms | Note On | Ch 1 | Nr 61 | Value 100");
}

TEST(WindowMidiRows, BurstOf600KeepsTheNewest500Rows) {
    auto w = openTestWindow();
    MidiEngine& midi = w->engines().midi;
    // The whole burst arrives before the window handles anything.
    std::thread([&] {
        for (int i = 0; i < 600; ++i) onMidiInput(midi, noteOn(i), static_cast<uint32_t>(i));
    }).join();
    ASSERT_TRUE(w->eventually([&] { return midi.receivedCount == 512; }));
    EXPECT_EQ(midi.dropped.load(), 88u);
    const std::vector<std::string> rows = w->messageRows();
    ASSERT_EQ(rows.size(), 500u);
    // Rows 12..511 of the 512 shown: the first kept row has time stamp 12.
    EXPECT_EQ(rows[0].rfind("12 ms | ", 0), 0u);
    EXPECT_EQ(rows[499].rfind("511 ms | ", 0), 0u);
    w->tick(21);
    EXPECT_EQ(w->text(kMidiStatusText), "MIDI RX 512 | TX 0 | Rejected 88\n");
}

}  // namespace
