// Rows from the MIDI thread reach the window's list through the engine's hand-over and
// the WM_APP + 7 wake-up posted to the window, without a timer tick; the list keeps the
// newest 500. wine offers no MIDI devices, so the rows come from a thread of the test's
// own calling the input callback.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "core/utf16_text_win32.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr UINT kMidiInputMessage = WM_APP + 7;

uint32_t noteOn(int note) { return 0x90u | static_cast<uint32_t>(note & 0x7F) << 8 | 100u << 16; }

// Handles the window's messages, never a tick, until the condition holds or a second passed.
template <typename Condition>
bool eventually(Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + 1000;
    while (!condition() && GetTickCount64() < deadline) {
        pumpMessages();
        Sleep(1);
    }
    return condition();
}

int rowCount(const TestWindow& t) { return static_cast<int>(SendMessageW(control(t, kMidiMessageList), LB_GETCOUNT, 0, 0)); }

std::string row(const TestWindow& t, int index) {
    wchar_t text[256] = {};
    SendMessageW(control(t, kMidiMessageList), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return utf16ToUtf8(text);
}

TEST(WindowMidiRows, TheMidiThreadPostsOneWakeUpMessageToTheWindow) {
    TestWindow t;
    pumpMessages();  // an earlier window's WM_QUIT would answer the peeks below, whatever their filter
    std::thread([&] {
        onMidiInput(t.window->engines.midi, noteOn(60), 1234);
        onMidiInput(t.window->engines.midi, noteOn(61), 1240);
    }).join();
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, kMidiInputMessage, kMidiInputMessage, PM_REMOVE));
    EXPECT_EQ(message.hwnd, t.handle);
    // The second message found the wake-up pending: one post for both.
    EXPECT_FALSE(PeekMessageW(&message, nullptr, kMidiInputMessage, kMidiInputMessage, PM_NOREMOVE));
    DispatchMessageW(&message);
    ASSERT_EQ(rowCount(t), 2);
    EXPECT_EQ(row(t, 0), "1234 ms | Note On | Ch 1 | Nr 60 | Value 100");
    EXPECT_EQ(row(t, 1), "1240 ms | Note On | Ch 1 | Nr 61 | Value 100");
}

TEST(WindowMidiRows, RowsArriveByWakeUpWithoutATick) {
    TestWindow t;
    std::thread([&] { onMidiInput(t.window->engines.midi, noteOn(60), 1234); }).join();
    ASSERT_TRUE(eventually([&] { return rowCount(t) == 1; }));
    // A later message wakes the window again.
    std::thread([&] { onMidiInput(t.window->engines.midi, noteOn(61), 1240); }).join();
    ASSERT_TRUE(eventually([&] { return rowCount(t) == 2; }));
    EXPECT_EQ(row(t, 1), "1240 ms | Note On | Ch 1 | Nr 61 | Value 100");
}

TEST(WindowMidiRows, BurstOf600KeepsTheNewest500Rows) {
    TestWindow t;
    // The whole burst arrives before the window handles anything.
    std::thread([&] {
        for (int i = 0; i < 600; ++i) onMidiInput(t.window->engines.midi, noteOn(i), static_cast<uint32_t>(i));
    }).join();
    ASSERT_TRUE(eventually([&] { return t.window->engines.midi.receivedCount == 512; }));
    EXPECT_EQ(t.window->engines.midi.dropped.load(), 88u);
    EXPECT_EQ(rowCount(t), 500);
    // Rows 12..511 of the 512 shown: the first kept row has time stamp 12.
    EXPECT_EQ(row(t, 0).rfind("12 ms | ", 0), 0u);
    EXPECT_EQ(row(t, 499).rfind("511 ms | ", 0), 0u);
    t.tick(21);
    EXPECT_EQ(textOf(t, kMidiStatusText), "MIDI RX 512 | TX 0 | Rejected 88\n");
}

}  // namespace
