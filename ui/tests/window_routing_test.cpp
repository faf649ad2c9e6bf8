// Which command acts on which notification: plain clicks only for most buttons, any
// notification for Reset network and the page buttons. Checked on the table and
// through the real window with commands that need no network.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QtTest/QTest>
#include <vector>

#include "ui/command_button.h"
#include "ui/window_controls.h"
#include "ui/window_routing.h"
#include "window_test_support.h"

namespace {

constexpr int kFieldChanged = 0x300;  // what an edit field reports when its text changes

TEST(WindowRouting, CommandForEachIdAndNotification) {
    using C = WindowCommand;
    struct Case {
        int id;
        C onClick;
        C onOther;
    };
    const Case cases[] = {
        {201, C::ShowDmxPage, C::ShowDmxPage},   {202, C::ShowMidiPage, C::ShowMidiPage},
        {116, C::ResetNetwork, C::ResetNetwork}, {105, C::ToggleReceive, C::Nothing},
        {106, C::ContinuousTx, C::Nothing},      {107, C::SendValue, C::Nothing},
        {108, C::PulseToZero, C::Nothing},       {111, C::AllToZero, C::Nothing},
        {101, C::Nothing, C::Nothing},           {102, C::Nothing, C::Nothing},
        {109, C::Nothing, C::Nothing},           {114, C::Nothing, C::Nothing},
        {115, C::Nothing, C::Nothing},           {0, C::Nothing, C::Nothing},
        {200, C::Nothing, C::Nothing},           {218, C::Nothing, C::Nothing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandFor(c.id, kClickNotification), c.onClick) << c.id;
        EXPECT_EQ(commandFor(c.id, kDoubleClickNotification), c.onOther) << c.id;
        EXPECT_EQ(commandFor(c.id, kFieldChanged), c.onOther) << c.id;
    }
    for (int id = 203; id <= 217; ++id) {
        EXPECT_EQ(commandFor(id, kClickNotification), C::MidiCommand) << id;
        EXPECT_EQ(commandFor(id, kDoubleClickNotification), C::Nothing) << id;
    }
}

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
        runWindowCommand(w, id, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusId), "") << id;
        runWindowCommand(w, id, kClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusId), "Use channels 1–512, value 0–255 and pulse 30–60000 ms.") << id;
        // Reset network acts on any notification and clears the message.
        runWindowCommand(w, 116, kDoubleClickNotification);
        t.tick(20);
        EXPECT_EQ(messageLine(w, kDmxStatusId), "") << id;
    }
}

TEST(WindowRouting, MidiButtonsActOnClicksOnly) {
    TestWindow t;
    MainWindow& w = *t.window;
    t.tick();
    runWindowCommand(w, 205, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusId), "");
    runWindowCommand(w, 205, kClickNotification);  // the placeholder is selected
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusId), "Select a MIDI input port.");
    runWindowCommand(w, 211, kClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusId), "Select a MIDI output port.");
    runWindowCommand(w, 214, kDoubleClickNotification);
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusId), "Select a MIDI output port.");
    runWindowCommand(w, 214, kClickNotification);  // Close MIDI ports empties the notice
    t.tick(20);
    EXPECT_EQ(messageLine(w, kMidiStatusId), "");
}

TEST(WindowRouting, PageButtonsActOnDoubleClicks) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.host->show();
    runWindowCommand(w, kMidiPageButtonId, kDoubleClickNotification);
    EXPECT_TRUE(control<QWidget>(w, kMidiMessageListId)->isVisibleTo(w.host));
    runWindowCommand(w, kDmxPageButtonId, kDoubleClickNotification);
    EXPECT_TRUE(control<QWidget>(w, kLevelTableId)->isVisibleTo(w.host));
    EXPECT_FALSE(control<QWidget>(w, kMidiMessageListId)->isVisibleTo(w.host));
}

TEST(WindowRouting, NothingRunsAfterTheEnginesStopped) {
    TestWindow t;
    MainWindow& w = *t.window;
    t.tick();
    control<QLineEdit>(w, 110)->clear();
    w.host->close();  // the close event stops the engines
    EXPECT_TRUE(w.engineStopped);
    runWindowCommand(w, 107, kClickNotification);
    t.advanceWithoutTick(1000);
    runWindowTick(w);
    EXPECT_EQ(messageLine(w, kDmxStatusId), "");
}

}  // namespace
