// The resize rule on every front end: only the two lists and the two status texts follow
// the client size, neither list gets less than 100 pixels of height, and nothing else
// moves.
#include <gtest/gtest.h>

#include "ui/tests/window_driver.h"
#include "ui/window_controls.h"

namespace {

void expectUnmoved(WindowDriver& w) {
    EXPECT_EQ(w.place(201), (WindowRect{730, 44, 130, 32}));
    EXPECT_EQ(w.place(202), (WindowRect{875, 44, 75, 32}));
    EXPECT_EQ(w.place(105), (WindowRect{730, 137, 220, 30}));
    EXPECT_EQ(w.place(214), (WindowRect{420, 380, 260, 32}));
}

TEST(WindowResize, SizingTheWindowFollowsTheRule) {
    auto w = openTestWindow();
    // Each size differs from the one before, so each is a new size for the window.
    for (const auto& [outerWidth, outerHeight] : {std::pair{1400, 1000}, {1000, 800}, {1000, 870}}) {
        w->resizeOuter(outerWidth, outerHeight);
        const WindowRect client = w->clientSize();
        const int width = client.width;
        const int height = client.height;
        EXPECT_EQ(w->place(kDmxLevelTable), (WindowRect{20, 344, width - 40, height - 430})) << outerHeight;
        EXPECT_EQ(w->place(kDmxStatusText), (WindowRect{20, height - 72, width - 40, 60}));
        EXPECT_EQ(w->place(kMidiMessageList), (WindowRect{20, 490, width - 40, height - 576}));
        EXPECT_EQ(w->place(kMidiStatusText), (WindowRect{20, height - 72, width - 40, 60}));
        EXPECT_EQ(w->levelColumnWidth(0), 110);
        EXPECT_EQ(w->levelColumnWidth(1), (width - 170) / 2);
        EXPECT_EQ(w->levelColumnWidth(2), (width - 170) / 2);
        expectUnmoved(*w);
    }
}

TEST(WindowResize, ListsKeepTheirFloorsForAnyReportedSize) {
    auto w = openTestWindow();
    struct Case {
        int width, height;
        WindowRect table, list, status;
        int levelColumn;
    };
    const Case cases[] = {
        {1200, 300, {20, 344, 1160, 100}, {20, 490, 1160, 100}, {20, 228, 1160, 60}, 515},
        {1000, 530, {20, 344, 960, 100}, {20, 490, 960, 100}, {20, 458, 960, 60}, 415},
        {1000, 676, {20, 344, 960, 246}, {20, 490, 960, 100}, {20, 604, 960, 60}, 415},
    };
    for (const Case& c : cases) {
        w->resizeClient(c.width, c.height);
        EXPECT_EQ(w->place(kDmxLevelTable), c.table) << c.width << " x " << c.height;
        EXPECT_EQ(w->place(kMidiMessageList), c.list) << c.width << " x " << c.height;
        EXPECT_EQ(w->place(kDmxStatusText), c.status) << c.width << " x " << c.height;
        EXPECT_EQ(w->place(kMidiStatusText), c.status) << c.width << " x " << c.height;
        EXPECT_EQ(w->levelColumnWidth(1), c.levelColumn);
        expectUnmoved(*w);
    }
}

}  // namespace
