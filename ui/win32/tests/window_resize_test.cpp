// The resize rule through WM_SIZE: only the two lists and the two status texts follow
// the client size, neither list gets less than 100 pixels of height, and nothing else
// moves.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "ui/window_controls.h"
#include "window_test_support.h"

// RECT is a type of the global namespace: its comparison and printing live there too.
static bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << ", " << r.top << ") " << r.right - r.left << " x " << r.bottom - r.top;
}

namespace {

RECT rect(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

int columnWidth(const TestWindow& t, int column) {
    return static_cast<int>(SendMessageW(control(t, kDmxLevelTable), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void expectUnmoved(const TestWindow& t) {
    EXPECT_EQ(clientRectOf(t, 201), rect(730, 44, 130, 32));
    EXPECT_EQ(clientRectOf(t, 202), rect(875, 44, 75, 32));
    EXPECT_EQ(clientRectOf(t, 105), rect(730, 137, 220, 30));
    EXPECT_EQ(clientRectOf(t, 214), rect(420, 380, 260, 32));
}

TEST(WindowResize, SizingTheWindowFollowsTheRule) {
    TestWindow t;
    // Each size differs from the one before, so each brings a WM_SIZE.
    for (const SIZE outer : {SIZE{1400, 1000}, SIZE{1000, 800}, SIZE{1000, 870}}) {
        SetWindowPos(t.handle, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{};
        GetClientRect(t.handle, &client);
        const int width = client.right;
        const int height = client.bottom;
        EXPECT_EQ(clientRectOf(t, kDmxLevelTable), rect(20, 344, width - 40, height - 430)) << outer.cy;
        EXPECT_EQ(clientRectOf(t, kDmxStatusText), rect(20, height - 72, width - 40, 60));
        EXPECT_EQ(clientRectOf(t, kMidiMessageList), rect(20, 490, width - 40, height - 576));
        EXPECT_EQ(clientRectOf(t, kMidiStatusText), rect(20, height - 72, width - 40, 60));
        EXPECT_EQ(columnWidth(t, 0), 110);
        EXPECT_EQ(columnWidth(t, 1), (width - 170) / 2);
        EXPECT_EQ(columnWidth(t, 2), (width - 170) / 2);
        expectUnmoved(t);
    }
}

TEST(WindowResize, ListsKeepTheirFloorsForAnyReportedSize) {
    TestWindow t;
    struct Case {
        WPARAM kind;
        int width, height;
        RECT table, list, status;
        int levelColumn;
    };
    const Case cases[] = {
        {SIZE_RESTORED, 1200, 300, rect(20, 344, 1160, 100), rect(20, 490, 1160, 100), rect(20, 228, 1160, 60), 515},
        {SIZE_RESTORED, 1000, 530, rect(20, 344, 960, 100), rect(20, 490, 960, 100), rect(20, 458, 960, 60), 415},
        {SIZE_RESTORED, 1000, 676, rect(20, 344, 960, 246), rect(20, 490, 960, 100), rect(20, 604, 960, 60), 415},
        // A minimised window reports 0 x 0.
        {SIZE_MINIMIZED, 0, 0, rect(20, 344, 0, 100), rect(20, 490, 0, 100), rect(20, -72, 0, 60), 0},
    };
    for (const Case& c : cases) {
        SendMessageW(t.handle, WM_SIZE, c.kind, MAKELPARAM(c.width, c.height));
        EXPECT_EQ(clientRectOf(t, kDmxLevelTable), c.table) << c.width << " x " << c.height;
        EXPECT_EQ(clientRectOf(t, kMidiMessageList), c.list) << c.width << " x " << c.height;
        EXPECT_EQ(clientRectOf(t, kDmxStatusText), c.status) << c.width << " x " << c.height;
        EXPECT_EQ(clientRectOf(t, kMidiStatusText), c.status) << c.width << " x " << c.height;
        EXPECT_EQ(columnWidth(t, 1), c.levelColumn);
        expectUnmoved(t);
    }
}

}  // namespace
