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

TEST(WindowResize, RuleForClientSizes) {
    struct Case {
        int width, height;
        int tableHeight, listHeight, statusY, levelColumn;
    };
    const Case cases[] = {
        {1000, 870, 440, 294, 798, 415},  // the first client size here
        {984, 831, 401, 255, 759, 407},   // a 1000 x 870 window with a typical frame
        {1000, 800, 370, 224, 728, 415},  // the minimum without frame
        {1000, 676, 246, 100, 604, 415},  // the MIDI list reaches its floor
        {1000, 675, 245, 100, 603, 415},
        {1000, 531, 101, 100, 459, 415},
        {1000, 530, 100, 100, 458, 415},  // the level table reaches its floor
        {1000, 200, 100, 100, 128, 415},
        {1001, 0, 100, 100, -72, 415},  // a minimised window reports height 0
        {1920, 1080, 650, 504, 1008, 875},
    };
    for (const Case& c : cases) {
        const WindowLayout layout = layoutForClientSize(c.width, c.height);
        EXPECT_EQ(layout.levelTable, (PixelRect{20, 344, c.width - 40, c.tableHeight})) << c.width << "x" << c.height;
        EXPECT_EQ(layout.midiList, (PixelRect{20, 490, c.width - 40, c.listHeight})) << c.height;
        EXPECT_EQ(layout.dmxStatus, (PixelRect{20, c.statusY, c.width - 40, 60})) << c.height;
        EXPECT_EQ(layout.midiStatus, layout.dmxStatus);
        EXPECT_EQ(layout.channelColumnWidth, 110);
        EXPECT_EQ(layout.levelColumnWidth, c.levelColumn) << c.width;
    }
    EXPECT_EQ(layoutForClientSize(100, 800).levelColumnWidth, 0);  // never negative
}

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
    EXPECT_EQ(geometryOf(w, kLevelTableId), QRect(20, 344, width - 40, height - 430));
    EXPECT_EQ(geometryOf(w, kDmxStatusId), QRect(20, height - 72, width - 40, 60));
    EXPECT_EQ(geometryOf(w, kMidiMessageListId), QRect(20, 490, width - 40, height - 576));
    auto* table = control<QTableView>(w, kLevelTableId);
    EXPECT_EQ(table->columnWidth(0), 110);
    EXPECT_EQ(table->columnWidth(1), (width - 170) / 2);
    EXPECT_EQ(table->columnWidth(2), (width - 170) / 2);

    // Below the floors (a window manager may allow it): the lists keep 100 pixels and
    // the status texts stay 72 pixels above the bottom edge.
    w.host->setMinimumSize(0, 0);
    resizeClient(w, 1200, 300);
    ASSERT_EQ(w.host->size(), QSize(1200, 300));
    EXPECT_EQ(geometryOf(w, kLevelTableId), QRect(20, 344, 1160, 100));
    EXPECT_EQ(geometryOf(w, kMidiMessageListId), QRect(20, 490, 1160, 100));
    EXPECT_EQ(geometryOf(w, kDmxStatusId), QRect(20, 228, 1160, 60));
    EXPECT_EQ(geometryOf(w, kMidiStatusId), QRect(20, 228, 1160, 60));
    EXPECT_EQ(table->columnWidth(1), 515);

    // Nothing else moves.
    EXPECT_EQ(geometryOf(w, 201), QRect(730, 44, 130, 32));
    EXPECT_EQ(geometryOf(w, 202), QRect(875, 44, 75, 32));
    EXPECT_EQ(geometryOf(w, 105), QRect(730, 137, 220, 30));
    EXPECT_EQ(geometryOf(w, 214), QRect(420, 380, 260, 32));
}

}  // namespace
