// The MIDI hand-over on Windows: the engine's wake-up posts WM_APP + 7 to a window from the
// MIDI thread, and draining on that message shows what was queued.
#include <gtest/gtest.h>

#include <thread>

#include "midi/midi_engine.h"
#include "midi/tests/fake_midi_view.h"
#include "ui/win32/win32_midi_wake.h"

namespace {

struct MessageWindow {
    HWND handle = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MessageWindow() { DestroyWindow(handle); }
};

int pendingWakeMessages(HWND window) {
    int count = 0;
    MSG message;
    while (PeekMessageW(&message, window, kMidiInputMessage, kMidiInputMessage, PM_REMOVE)) ++count;
    return count;
}

uint32_t controlChange(uint32_t i) { return packMidiMessage(kMidiControlChange, 1, i % 128, i / 128); }

TEST(Win32MidiWake, ABurstFromTheMidiThreadPostsOneMessageAndTheDrainShowsWhatFitted) {
    MessageWindow window;
    ASSERT_NE(window.handle, nullptr);
    FakeMidiWindow view;
    MidiEngine engine;
    engine.view = makeFakeMidiView(view);
    setMidiInputWakeUp(engine, postMidiWakeMessage, window.handle);

    std::thread midiThread([&] {
        for (uint32_t i = 0; i < 600; ++i) onMidiInput(engine, controlChange(i), i);
    });
    midiThread.join();
    EXPECT_EQ(pendingWakeMessages(window.handle), 1) << "one wake-up per idle-to-busy change";
    EXPECT_EQ(drainMidiInput(engine), 512u);
    EXPECT_EQ(engine.dropped.load(), 88u);
    EXPECT_EQ(view.list.back(), "511 ms | CC | Ch 1 | Nr 127 | Value 3");

    // Drained, the next message posts again, with a message another thread can wait for.
    std::thread([&] { onMidiInput(engine, controlChange(1), 700); }).join();
    MSG message;
    ASSERT_GT(GetMessageW(&message, window.handle, kMidiInputMessage, kMidiInputMessage), 0);
    EXPECT_EQ(message.message, 32775u);
    EXPECT_EQ(drainMidiInput(engine), 1u);
    EXPECT_EQ(pendingWakeMessages(window.handle), 0);
}

}  // namespace
