// The resize rule: only the two lists and the two status texts follow the client size,
// and neither list ever gets less than 100 pixels of height.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QTableView>

#include "ui/window_controls.h"
#include "ui/window_layout.h"
#include "window_test_support.h"

namespace {

QRect geometryOf(const MainWindow& w, int id) { return control<QWidget>(w, id)->geometry(); }

void resizeClient(MainWindow& w, int width, int height) {
    w.host->resize(width, height);
    QCoreApplication::processEvents();
}

TEST(WindowResize, WindowFollowsTheRuleAndKeepsTheFloors) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.host->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.host->frameGeometry().size(), QSize(1000, 870));

    // The minimum outer size holds against a smaller request.
    resizeClient(w, 600, 400);
    EXPECT_EQ(w.host->frameGeometry().size(), QSize(1000, 800));
    const int width = w.host->width();
    const int height = w.host->height();
    EXPECT_EQ(geometryOf(w, kDmxLevelTable), QRect(20, 344, width - 40, height - 430));
    EXPECT_EQ(geometryOf(w, kDmxStatusText), QRect(20, height - 72, width - 40, 60));
    EXPECT_EQ(geometryOf(w, kMidiMessageList), QRect(20, 490, width - 40, height - 576));
    auto* table = control<QTableView>(w, kDmxLevelTable);
    EXPECT_EQ(table->columnWidth(0), 110);
    EXPECT_EQ(table->columnWidth(1), (width - 170) / 2);
    EXPECT_EQ(table->columnWidth(2), (width - 170) / 2);

    // Below the floors (a window manager may allow it): the lists keep 100 pixels and
    // the status texts stay 72 pixels above the bottom edge.
    w.host->setMinimumSize(0, 0);
    resizeClient(w, 1200, 300);
    ASSERT_EQ(w.host->size(), QSize(1200, 300));
    EXPECT_EQ(geometryOf(w, kDmxLevelTable), QRect(20, 344, 1160, 100));
    EXPECT_EQ(geometryOf(w, kMidiMessageList), QRect(20, 490, 1160, 100));
    EXPECT_EQ(geometryOf(w, kDmxStatusText), QRect(20, 228, 1160, 60));
    EXPECT_EQ(geometryOf(w, kMidiStatusText), QRect(20, 228, 1160, 60));
    EXPECT_EQ(table->columnWidth(1), 515);

    // Nothing else moves.
    EXPECT_EQ(geometryOf(w, 201), QRect(730, 44, 130, 32));
    EXPECT_EQ(geometryOf(w, 202), QRect(875, 44, 75, 32));
    EXPECT_EQ(geometryOf(w, 105), QRect(730, 137, 220, 30));
    EXPECT_EQ(geometryOf(w, 214), QRect(420, 380, 260, 32));
}

}  // namespace
