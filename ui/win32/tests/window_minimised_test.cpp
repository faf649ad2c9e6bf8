// A minimised Win32 window reports a client size of 0 x 0 with WM_SIZE: the lists keep
// their floors and nothing else moves (the resize rule itself: ui/tests).
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

TEST(WindowResize, MinimisedWindowKeepsTheFloors) {
    Win32WindowDriver t;
    SendMessageW(t.handle, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    EXPECT_EQ(t.place(kDmxLevelTable), (WindowRect{20, 344, 0, 100}));
    EXPECT_EQ(t.place(kMidiMessageList), (WindowRect{20, 490, 0, 100}));
    EXPECT_EQ(t.place(kDmxStatusText), (WindowRect{20, -72, 0, 60}));
    EXPECT_EQ(t.place(kMidiStatusText), (WindowRect{20, -72, 0, 60}));
    EXPECT_EQ(t.levelColumnWidth(1), 0);
    EXPECT_EQ(t.place(201), (WindowRect{730, 44, 130, 32}));
    EXPECT_EQ(t.place(202), (WindowRect{875, 44, 75, 32}));
    EXPECT_EQ(t.place(105), (WindowRect{730, 137, 220, 30}));
    EXPECT_EQ(t.place(214), (WindowRect{420, 380, 260, 32}));
}

}  // namespace
