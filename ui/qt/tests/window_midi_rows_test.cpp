// Rows from the MIDI thread reach the window's list through the hand-over and the
// event loop's wake-up, without a timer tick; the list keeps the newest 500.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <chrono>
#include <thread>

#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

uint32_t noteOn(int note) { return 0x90u | static_cast<uint32_t>(note & 0x7F) << 8 | 100u << 16; }

// Runs the event loop, never the tick, until the condition holds or a second passed.
template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return condition();
}

TEST(WindowMidiRows, RowsArriveByWakeUpWithoutATick) {
    TestWindow t;
    MainWindow& w = *t.window;
    auto* list = control<QListWidget>(w, kMidiMessageList);
    std::thread([&] { onMidiInput(w.engines.midi, noteOn(60), 1234); }).join();
    ASSERT_TRUE(eventually([&] { return list->count() == 1; }));
    EXPECT_EQ(list->item(0)->text().toStdString(), "1234 ms | Note On | Ch 1 | Nr 60 | Value 100");
    // A later message wakes the window again.
    std::thread([&] { onMidiInput(w.engines.midi, noteOn(61), 1240); }).join();
    ASSERT_TRUE(eventually([&] { return list->count() == 2; }));
}

TEST(WindowMidiRows, BurstOf600KeepsTheNewest500Rows) {
    TestWindow t;
    MainWindow& w = *t.window;
    auto* list = control<QListWidget>(w, kMidiMessageList);
    // The whole burst arrives before the window handles anything.
    std::thread([&] {
        for (int i = 0; i < 600; ++i) onMidiInput(w.engines.midi, noteOn(i), static_cast<uint32_t>(i));
    }).join();
    ASSERT_TRUE(eventually([&] { return w.engines.midi.receivedCount == 512; }));
    EXPECT_EQ(w.engines.midi.dropped.load(), 88u);
    EXPECT_EQ(list->count(), 500);
    // Rows 12..511 of the 512 shown: the first kept row has time stamp 12.
    EXPECT_EQ(list->item(0)->text().toStdString().rfind("12 ms | ", 0), 0u);
    EXPECT_EQ(list->item(499)->text().toStdString().rfind("511 ms | ", 0), 0u);
    t.tick(21);
    EXPECT_EQ(textOf(w, kMidiStatusText), "MIDI RX 512 | TX 0 | Rejected 88\n");
}

}  // namespace
