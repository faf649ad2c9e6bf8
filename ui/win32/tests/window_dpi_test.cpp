// The window at the DPI it is created on and after a DPI change: every control of the
// table at its rectangle times dpi / 96, the font scaled alike, and the window and its
// minimum size within the monitor's work area. Run at wine's default 96 DPI with the other
// window tests, and again in a prefix at 144 DPI on a 1366 x 768 screen
// (LUMIBOX_EXPECTED_DPI, ui/win32/CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "ui/window_controls.h"
#include "ui/window_layout.h"
#include "ui/window_style.h"
#include "window_test_support.h"

namespace {

// Controls the resize rule moves, checked by the resize tests instead.
bool followsClientSize(int id) {
    return id == kDmxLevelTable || id == kDmxStatusText || id == kMidiMessageList || id == kMidiStatusText;
}

void expectTableRectsAt(Win32WindowDriver& t, int dpi) {
    for (const ControlDefinition& c : controlTable()) {
        if (c.id == 0 || followsClientSize(c.id)) continue;
        const WindowRect r = t.place(c.id);
        PixelRect got{r.x, r.y, r.width, r.height};
        const PixelRect wanted = scaleToDpi(PixelRect{c.x, c.y, c.width, c.height}, dpi);
        // A selector's table height is that of its drop-down list; its own follows the font.
        if (c.kind == ControlKind::Selector) got.height = wanted.height;
        EXPECT_TRUE(got == wanted) << c.id << " at " << dpi << ": " << got.x << " " << got.y << " " << got.width;
    }
    LOGFONTW font{};
    GetObjectW(t.window->uiFont, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -scaleToDpi(kUiFontPixelHeight, dpi));
}

TEST(WindowDpi, ControlsAreTheTableScaledToTheWindowsDpi) {
    Win32WindowDriver t;
    const int dpi = static_cast<int>(GetDpiForWindow(t.handle));
    const char* expected = std::getenv("LUMIBOX_EXPECTED_DPI");
    EXPECT_EQ(dpi, expected ? std::atoi(expected) : kDefaultDpi) << "the prefix's LogPixels";
    EXPECT_EQ(t.window->dpi, dpi);
    expectTableRectsAt(t, dpi);
}

TEST(WindowDpi, WindowAndItsMinimumSizeFitTheWorkArea) {
    Win32WindowDriver t;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(t.handle, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT outer{};
    GetWindowRect(t.handle, &outer);
    EXPECT_GE(outer.left, work.left);
    EXPECT_GE(outer.top, work.top);
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom) << "the status text at the bottom would be off the screen";

    const int dpi = t.window->dpi;
    MINMAXINFO limits{};
    SendMessageW(t.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, std::min<LONG>(scaleToDpi(kMinimumOuterWidth, dpi), work.right - work.left));
    EXPECT_EQ(limits.ptMinTrackSize.y, std::min<LONG>(scaleToDpi(kMinimumOuterHeight, dpi), work.bottom - work.top));
}

// Moved to a monitor of another DPI: re-laid from the table, and back again.
TEST(WindowDpi, ADpiChangeRelaysEveryControl) {
    Win32WindowDriver t;
    const int original = t.window->dpi;
    for (const int dpi : {192, 120, original}) {
        RECT outer{};
        GetWindowRect(t.handle, &outer);
        const RECT suggested{outer.left, outer.top, outer.left + scaleToDpi(kInitialOuterWidth, dpi),
                             outer.top + scaleToDpi(kInitialOuterHeight, dpi)};
        SendMessageW(t.handle, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        expectTableRectsAt(t, dpi);
        RECT client{};
        GetClientRect(t.handle, &client);
        const WindowLayout layout = layoutForScaledClientSize(client.right, client.bottom, dpi);
        const WindowRect status = t.place(kDmxStatusText);
        EXPECT_EQ(status.y, layout.dmxStatus.y) << dpi;
        EXPECT_EQ(status.height, layout.dmxStatus.height) << dpi;
    }
}

}  // namespace
