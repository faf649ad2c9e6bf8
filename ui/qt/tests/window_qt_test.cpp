// What only the Qt window has: the application and desktop names, the sizes before the
// window is shown, a read-only level table and the command button's own notifications.
// The behaviour both windows share: ui/tests.
#include <gtest/gtest.h>

#include <QTableView>
#include <QtTest/QTest>
#include <vector>

#include "ui/qt/command_button.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

TEST(WindowQt, ApplicationNamesAndSizesBeforeShow) {
    QtWindowDriver t(false);
    EXPECT_EQ(QApplication::applicationName().toStdString(), "VelmoraLumibox");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "com.velmora.Lumibox") << "the installed desktop entry";
    // Before the window is shown no frame is known: the client gets the outer figures.
    EXPECT_EQ(t.window->host->minimumSize(), QSize(1000, 800));
    EXPECT_EQ(t.window->host->size(), QSize(1000, 870));
}

TEST(WindowQt, LevelTableTakesNoEdits) {
    QtWindowDriver t;
    EXPECT_EQ(t.control<QTableView>(kDmxLevelTable)->editTriggers(), QAbstractItemView::NoEditTriggers);
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

}  // namespace
