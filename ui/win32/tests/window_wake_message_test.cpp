// The MIDI thread's wake-up of the Win32 window is one WM_APP + 7 posted to it for a run
// of messages (the rows it brings: ui/tests/window_midi_rows_test.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr UINT kMidiInputMessage = WM_APP + 7;

uint32_t noteOn(int note) { return 0x90u | static_cast<uint32_t>(note & 0x7F) << 8 | 100u << 16; }

TEST(WindowMidiRows, TheMidiThreadPostsOneWakeUpMessageToTheWindow) {
    Win32WindowDriver t;
    std::thread([&] {
        onMidiInput(t.window->engines.midi, noteOn(60), 1234);
        onMidiInput(t.window->engines.midi, noteOn(61), 1240);
    }).join();
    // The second message found the wake-up pending: one post for both. Only this window's
    // messages count: under wine a thread message of the same number (no window) can
    // follow a shown window of an earlier case.
    std::vector<MSG> posted;
    for (MSG message{}; PeekMessageW(&message, nullptr, kMidiInputMessage, kMidiInputMessage, PM_REMOVE);) {
        if (message.hwnd != nullptr) posted.push_back(message);
    }
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].hwnd, t.handle);
    DispatchMessageW(&posted[0]);
    EXPECT_EQ(t.messageRows(), std::vector<std::string>({"1234 ms | Note On | Ch 1 | Nr 60 | Value 100",
                                                          "1240 ms | Note On | Ch 1 | Nr 61 | Value 100"}));
}

}  // namespace
