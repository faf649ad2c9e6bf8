// Which command acts on which notification, through the real window of every front end:
// plain clicks only for most buttons, any notification for Reset network and the page
// buttons, nothing for fields and selectors, and nothing at all once the window closed.
// Commands here need no network (the table itself: window_description_test.cpp).
#include <gtest/gtest.h>

#include "ui/tests/window_driver.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"

namespace {

TEST(WindowRouting, ClickOnlyCommandsIgnoreOtherNotifications) {
    auto w = openTestWindow();
    w->setText(110, "");  // every send is refused with the range message
    w->tick();
    for (int id : {107, 108}) {
        w->sendCommand(id, kDoubleClickNotification);
        w->tick(20);
        EXPECT_EQ(w->messageLine(kDmxStatusText), "") << id;
        w->click(id);
        w->tick(20);
        EXPECT_EQ(w->messageLine(kDmxStatusText), kRangeMessage) << id;
        // Reset network acts on any notification and clears the message.
        w->sendCommand(116, kDoubleClickNotification);
        w->tick(20);
        EXPECT_EQ(w->messageLine(kDmxStatusText), "") << id;
    }
}

TEST(WindowRouting, MidiButtonsActOnClicksOnly) {
    auto w = openTestWindow();
    w->tick();
    w->sendCommand(205, kDoubleClickNotification);
    w->tick(20);
    EXPECT_EQ(w->messageLine(kMidiStatusText), "");
    w->click(205);  // the placeholder is selected
    w->tick(20);
    EXPECT_EQ(w->messageLine(kMidiStatusText), "Select a MIDI input port.");
    EXPECT_EQ(w->text(205), "Start MIDI RX");
    w->click(211);
    w->tick(20);
    EXPECT_EQ(w->messageLine(kMidiStatusText), "Select a MIDI output port.");
    w->sendCommand(214, kDoubleClickNotification);
    w->tick(20);
    EXPECT_EQ(w->messageLine(kMidiStatusText), "Select a MIDI output port.");
    w->click(214);  // Close MIDI ports empties the notice
    w->tick(20);
    EXPECT_EQ(w->messageLine(kMidiStatusText), "");
}

TEST(WindowRouting, PageButtonsActOnDoubleClicks) {
    auto w = openTestWindow();
    w->sendCommand(kMidiPageButton, kDoubleClickNotification);
    EXPECT_TRUE(w->shown(kMidiMessageList));
    EXPECT_FALSE(w->shown(kDmxLevelTable));
    w->sendCommand(kDmxPageButton, kDoubleClickNotification);
    EXPECT_TRUE(w->shown(kDmxLevelTable));
    EXPECT_FALSE(w->shown(kMidiMessageList));
}

TEST(WindowRouting, NotificationsOfFieldsAndSelectorsRunNothing) {
    auto w = openTestWindow();
    w->tick();
    // What an edit, a selector and the list report: changes, focus, selection.
    for (int id : {101, 102, 104, 203, 206, 207, 216}) {
        for (int notification : {1, 0x100, 0x300, 0x400}) w->sendCommand(id, notification);
    }
    w->tick(21);
    EXPECT_EQ(w->messageLine(kDmxStatusText), "");
    EXPECT_EQ(w->messageLine(kMidiStatusText), "");
    EXPECT_EQ(w->text(105), "Start RX");
}

TEST(WindowRouting, CloseStopsTheEnginesOnceAndNothingRunsAfter) {
    auto w = openTestWindow();
    w->tick();
    w->setText(110, "");
    w->close();
    EXPECT_TRUE(w->closed());
    WindowEngines& engines = w->engines();
    EXPECT_TRUE(engines.stopped);
    EXPECT_FALSE(stopWindowEngines(engines));
    EXPECT_EQ(runWindowCommand(engines, 107, kClickNotification), ControlPage::None);
    EXPECT_EQ(runWindowCommand(engines, kMidiPageButton, kClickNotification), ControlPage::None);
    w->sendCommand(107, kClickNotification);
    w->advanceWithoutTick(1000);
    w->tick();
    EXPECT_EQ(w->messageLine(kDmxStatusText), "");
}

}  // namespace
