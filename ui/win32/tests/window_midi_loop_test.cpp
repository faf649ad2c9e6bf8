// The MIDI page end to end under wine with the looped-back stand-in winmm.dll (one
// input, one output, loaded with winmm=n,b): the window's own selectors, buttons, list
// and status text; rows come from winmm's callback thread through WM_APP + 7 alone.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/utf16_text_win32.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

constexpr ULONGLONG kArrivalTimeoutMs = 3000;

// Handles the window's messages, never a tick, until the condition holds or time is up.
template <typename Condition>
bool eventually(Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + kArrivalTimeoutMs;
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

class WindowMidiLoop : public ::testing::Test {
protected:
    void SetUp() override {
        click(t, kMidiPageButton);
        // The placeholder, then the loop device of each direction, named as winmm names it.
        for (int id : {203, 204}) ASSERT_EQ(SendMessageW(control(t, id), CB_GETCOUNT, 0, 0), 2) << id;
        SendMessageW(control(t, 203), CB_SETCURSEL, 1, 0);
        SendMessageW(control(t, 204), CB_SETCURSEL, 1, 0);
    }
    TestWindow t;
};

TEST_F(WindowMidiLoop, PortNamesReachTheSelectorsIntact) {
    EXPECT_EQ(textOf(t, 203), "0 · Loop \"In\" \\ Ä");
    EXPECT_EQ(textOf(t, 204), "0 · Loop Out ü");
}

TEST_F(WindowMidiLoop, SentPulseComesBackAsRowsAndTheTickReleasesIt) {
    click(t, 205);
    ASSERT_EQ(textOf(t, 205), "Stop MIDI RX");
    t.tick();
    click(t, 211);  // Note On, channel 1, number 60, value 127, released after 200 ms
    ASSERT_TRUE(eventually([&] { return rowCount(t) == 1; }));
    EXPECT_TRUE(row(t, 0).ends_with(" ms | Note On | Ch 1 | Nr 60 | Value 127")) << row(t, 0);

    t.tick(19);  // 190 ms: still held
    pumpMessages();
    EXPECT_EQ(rowCount(t), 1);
    t.tick(2);  // the release goes out
    ASSERT_TRUE(eventually([&] { return rowCount(t) == 2; }));
    EXPECT_TRUE(row(t, 1).ends_with(" ms | Note Off | Ch 1 | Nr 60 | Value 0")) << row(t, 1);
    t.tick(21);
    EXPECT_EQ(textOf(t, kMidiStatusText), "MIDI RX 2 | TX 2 | Rejected 0\n");

    click(t, 205);
    EXPECT_EQ(textOf(t, 205), "Start MIDI RX");
}

TEST_F(WindowMidiLoop, ClosingTheWindowClosesBothPorts) {
    click(t, 205);
    typeText(t, 210, "0");  // hold
    click(t, 211);
    ASSERT_TRUE(eventually([&] { return rowCount(t) == 1; }));
    SendMessageW(t.handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(t.window->engines.midi.inputPort, nullptr);
    EXPECT_EQ(t.window->engines.midi.outputPort, nullptr);
    EXPECT_TRUE(t.window->engines.midi.heldNotes.empty());
    EXPECT_FALSE(IsWindow(t.handle));
    pumpMessages();
}

}  // namespace
