// The Win32 level table holds its drawing while the engines rewrite cells and draws once
// afterwards, and stays hidden on the hidden page (the look both windows share:
// ui/tests/window_pixels_test.cpp). The cell's text is counted in the first output cell.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

int firstOutputCellText(const WindowPicture& picture) { return countColour(picture, 548, 370, 60, 18, 0xE1EDF9, 24); }

TEST(WindowWin32, LevelChangesRedrawTheShownTableAndLeaveAHiddenOneHidden) {
    Win32WindowDriver t;
    const int zeroPixels = firstOutputCellText(t.picture());
    t.window->engines.dmxView.setCellText(0, 2, "255");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_TRUE(IsWindowVisible(t.control(kDmxLevelTable)));
    EXPECT_GT(firstOutputCellText(t.picture()), zeroPixels + 10);

    t.click(kMidiPageButton);
    t.window->engines.dmxView.setCellText(0, 2, "7");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_FALSE(IsWindowVisible(t.control(kDmxLevelTable)));
    EXPECT_TRUE(IsWindowVisible(t.control(kMidiMessageList)));
    t.click(kDmxPageButton);
    EXPECT_EQ(t.cell(0, 2), "7");
    t.window->engines.dmxView.setCellText(0, 2, "0");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_EQ(firstOutputCellText(t.picture()), zeroPixels);
}

}  // namespace
