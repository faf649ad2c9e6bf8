// Which command acts on which notification, through the real window procedure: plain
// clicks only for most buttons, any notification for Reset network and the page
// buttons (the table itself: ui/tests). Commands here need no network.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "ui/window_procedure.h"
#include "window_test_support.h"

namespace {

TEST(WindowRouting, ClickOnlyCommandsIgnoreOtherNotifications) {
    TestWindow t;
    typeText(t, 110, "");  // every send is refused with the range message
    t.tick();
    for (int id : {107, 108}) {
        sendCommand(t, id, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(t, kDmxStatusText), "") << id;
        sendCommand(t, id, kClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(t, kDmxStatusText), kRangeMessage) << id;
        // Reset network acts on any notification and clears the message.
        sendCommand(t, 116, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(t, kDmxStatusText), "") << id;
    }
}

TEST(WindowRouting, MidiButtonsActOnClicksOnly) {
    TestWindow t;
    t.tick();
    sendCommand(t, 205, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(t, kMidiStatusText), "");
    click(t, 205);  // the placeholder is selected
    t.tick(20);
    EXPECT_EQ(messageLine(t, kMidiStatusText), "Select a MIDI input port.");
    EXPECT_EQ(textOf(t, 205), "Start MIDI RX");
    click(t, 211);
    t.tick(20);
    EXPECT_EQ(messageLine(t, kMidiStatusText), "Select a MIDI output port.");
    sendCommand(t, 214, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(t, kMidiStatusText), "Select a MIDI output port.");
    click(t, 214);  // Close MIDI ports empties the notice
    t.tick(20);
    EXPECT_EQ(messageLine(t, kMidiStatusText), "");
}

bool shown(const TestWindow& t, int id) { return (GetWindowLongPtrW(control(t, id), GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(WindowRouting, PageButtonsActOnDoubleClicks) {
    TestWindow t;
    sendCommand(t, kMidiPageButton, kDoubleClickNotification);
    EXPECT_TRUE(shown(t, kMidiMessageList));
    EXPECT_FALSE(shown(t, kDmxLevelTable));
    sendCommand(t, kDmxPageButton, kDoubleClickNotification);
    EXPECT_TRUE(shown(t, kDmxLevelTable));
    EXPECT_FALSE(shown(t, kMidiMessageList));
}

TEST(WindowRouting, NotificationsOfFieldsAndSelectorsRunNothing) {
    TestWindow t;
    t.tick();
    const std::string before = textOf(t, kDmxStatusText);
    // What an edit, a selector and the list report: changes, focus, selection.
    for (int id : {101, 102, 104, 203, 206, 207, 216}) {
        for (int notification : {1, 0x100, 0x300, 0x400}) sendCommand(t, id, notification);
    }
    t.tick(21);
    EXPECT_EQ(messageLine(t, kDmxStatusText), "");
    EXPECT_EQ(messageLine(t, kMidiStatusText), "");
    EXPECT_EQ(textOf(t, 105), "Start RX");
}

TEST(WindowRouting, CloseStopsTheEnginesOnceAndNothingRunsAfter) {
    TestWindow t;
    t.tick();
    typeText(t, 110, "");
    SendMessageW(t.handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(t.window->engines.stopped);
    EXPECT_FALSE(IsWindow(t.handle));
    EXPECT_FALSE(stopWindowEngines(t.window->engines));
    EXPECT_EQ(runWindowCommand(t.window->engines, 107, kClickNotification), ControlPage::None);
    EXPECT_EQ(runWindowCommand(t.window->engines, kMidiPageButton, kClickNotification), ControlPage::None);
    pumpMessages();  // the quit message the close posted
}

}  // namespace
