// Which command acts on which notification: plain clicks only for most buttons, any
// notification for Reset network and the page buttons. Checked through the real
// window with commands that need no network (the table itself: ui/tests).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QtTest/QTest>
#include <vector>

#include "ui/qt/command_button.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "ui/window_procedure.h"
#include "window_test_support.h"

namespace {

TEST(WindowRouting, ButtonReportsClickThenDoubleClick) {
    testApplication();
    QWidget parent;
    CommandButton button(QStringLiteral("Start RX"), &parent);
    button.resize(100, 30);
    parent.show();
    std::vector<int> notifications;
    button.onCommand = [&](int notification) { notifications.push_back(notification); };
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(notifications, std::vector<int>({kClickNotification}));
    notifications.clear();
    // Through the window, so the double click is recognised as a real one would be.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::mouseDClick(parent.windowHandle(), Qt::LeftButton, {}, button.geometry().center());
    EXPECT_EQ(notifications, std::vector<int>({kClickNotification, kDoubleClickNotification}));
}

TEST(WindowRouting, ClickOnlyCommandsIgnoreOtherNotifications) {
    TestWindow t;
    MainWindow& w = *t.window;
    control<QLineEdit>(w, 110)->clear();  // every send is refused with the range message
    t.tick();
    for (int id : {107, 108}) {
        handleWindowCommand(w, id, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusText), "") << id;
        handleWindowCommand(w, id, kClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusText), kRangeMessage) << id;
        // Reset network acts on any notification and clears the message.
        handleWindowCommand(w, 116, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusText), "") << id;
    }
}

TEST(WindowRouting, MidiButtonsActOnClicksOnly) {
    TestWindow t;
    MainWindow& w = *t.window;
    t.tick();
    handleWindowCommand(w, 205, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusText), "");
    handleWindowCommand(w, 205, kClickNotification);  // the placeholder is selected
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusText), "Select a MIDI input port.");
    handleWindowCommand(w, 211, kClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusText), "Select a MIDI output port.");
    handleWindowCommand(w, 214, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusText), "Select a MIDI output port.");
    handleWindowCommand(w, 214, kClickNotification);  // Close MIDI ports empties the notice
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusText), "");
}

TEST(WindowRouting, PageButtonsActOnDoubleClicks) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.host->show();
    handleWindowCommand(w, kMidiPageButton, kDoubleClickNotification);
    EXPECT_TRUE(control<QWidget>(w, kMidiMessageList)->isVisibleTo(w.host));
    handleWindowCommand(w, kDmxPageButton, kDoubleClickNotification);
    EXPECT_TRUE(control<QWidget>(w, kDmxLevelTable)->isVisibleTo(w.host));
    EXPECT_FALSE(control<QWidget>(w, kMidiMessageList)->isVisibleTo(w.host));
}

TEST(WindowRouting, NothingRunsAfterTheEnginesStopped) {
    TestWindow t;
    MainWindow& w = *t.window;
    t.tick();
    control<QLineEdit>(w, 110)->clear();
    w.host->close();  // the close event stops the engines
    EXPECT_TRUE(w.engines.stopped);
    handleWindowCommand(w, 107, kClickNotification);
    t.advanceWithoutTick(1000);
    handleWindowTick(w);
    EXPECT_EQ(messageLine(w, kDmxStatusText), "");
}

}  // namespace
