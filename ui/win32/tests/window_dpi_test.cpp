// Each window at the DPI it is created on and after a DPI change: every control of its
// table at its rectangle times dpi / 96, the fonts and columns scaled alike, and the window
// and its minimum size within the monitor's work area. Run at wine's default 96 DPI with the other
// window tests, and again in a prefix at 144 DPI on a 1920 x 1000 screen
// (LUMIBOX_EXPECTED_DPI, ui/win32/CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "ui/network_controls.h"
#include "ui/win32/win32_network_window.h"
#include "ui/window_controls.h"
#include "ui/window_layout.h"
#include "ui/window_style.h"
#include "window_test_support.h"

namespace {

// Controls the resize rule moves, checked by the resize tests instead.
bool followsClientSize(int id) {
    return id == kDmxLevelTable || id == kDmxStatusText || id == kMidiMessageList || id == kMidiStatusText;
}

void expectFontHeight(HFONT font, int pixelsAt96, int dpi) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    EXPECT_EQ(description.lfHeight, -scaleToDpi(pixelsAt96, dpi));
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
    expectFontHeight(t.window->uiFont, kUiFontPixelHeight, dpi);
}

// The Network window's controls that keep their table place, the grid's size, its fonts
// and its columns.
void expectNetworkRectsAt(const Win32NetworkWindow& network, int dpi) {
    for (const NetworkControl& c : networkControlTable()) {
        if (c.id == 0 || c.kind == NetworkControlKind::Table || c.kind == NetworkControlKind::Legend) continue;
        if (c.id == kNetworkGridTitle || c.id == kNetworkStatusText || c.id == kNetworkNodesTitle || c.id == kNetworkEventsTitle)
            continue;  // they follow the size
        RECT r{};
        GetWindowRect(networkControlById(network, c.id), &r);
        MapWindowPoints(nullptr, network.window, reinterpret_cast<POINT*>(&r), 2);
        PixelRect got{r.left, r.top, r.right - r.left, r.bottom - r.top};
        const PixelRect wanted = scaleToDpi(c.rect, dpi);
        if (c.id == kNetworkLevelGrid) got.y = wanted.y;  // it moves down with the height
        EXPECT_TRUE(got == wanted) << c.id << " at " << dpi << ": " << got.x << " " << got.y << " " << got.width;
    }
    const HWND sources = networkControlById(network, kNetworkSourcesTable);
    const auto columns = networkTableColumns(kNetworkSourcesTable);
    for (std::size_t column = 0; column < columns.size(); ++column) {
        EXPECT_EQ(SendMessageW(sources, LVM_GETCOLUMNWIDTH, column, 0), scaleToDpi(columns[column].width, dpi)) << column;
    }
    expectFontHeight(network.uiFont, kUiFontPixelHeight, dpi);
    expectFontHeight(network.gridFont, kGridTextPixelHeight, dpi);
}

std::unique_ptr<Win32NetworkWindow> openNetworkWindow(DmxUniverseState& state) {
    registerNetworkWindowClass(GetModuleHandleW(nullptr));
    Win32NetworkWindowOptions options;
    options.startTimer = false;
    return createNetworkWindow(GetModuleHandleW(nullptr), state, options);
}

TEST(WindowDpi, ControlsAreTheTableScaledToTheWindowsDpi) {
    Win32WindowDriver t;
    const int dpi = static_cast<int>(GetDpiForWindow(t.handle));
    const char* expected = std::getenv("LUMIBOX_EXPECTED_DPI");
    EXPECT_EQ(dpi, expected ? std::atoi(expected) : kDefaultDpi) << "the prefix's LogPixels";
    EXPECT_EQ(t.window->dpi, dpi);
    expectTableRectsAt(t, dpi);
}

TEST(WindowDpi, WindowsAndTheirMinimumSizesFitTheWorkArea) {
    Win32WindowDriver t;
    DmxUniverseState state;
    const auto network = openNetworkWindow(state);
    ASSERT_NE(network, nullptr);
    const struct {
        HWND handle;
        LONG minimumWidth, minimumHeight;  // at 96 DPI
    } windows[] = {{t.handle, kMinimumOuterWidth, kMinimumOuterHeight},
                   {network->window, kNetworkMinimumOuterWidth, kNetworkMinimumOuterHeight}};
    for (const auto& w : windows) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(w.handle, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT work = monitor.rcWork;
        RECT outer{};
        GetWindowRect(w.handle, &outer);
        EXPECT_GE(outer.left, work.left);
        EXPECT_GE(outer.top, work.top);
        EXPECT_LE(outer.right, work.right);
        EXPECT_LE(outer.bottom, work.bottom) << "the status text at the bottom would be off the screen";

        const int dpi = frameOf(w.handle)->dpi;
        MINMAXINFO limits{};
        SendMessageW(w.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, std::min<LONG>(scaleToDpi(w.minimumWidth, dpi), work.right - work.left));
        EXPECT_EQ(limits.ptMinTrackSize.y, std::min<LONG>(scaleToDpi(w.minimumHeight, dpi), work.bottom - work.top));
    }
    // The Network window gives up table height before its status line leaves the window.
    RECT client{};
    GetClientRect(network->window, &client);
    RECT status{};
    GetWindowRect(networkControlById(*network, kNetworkStatusText), &status);
    MapWindowPoints(nullptr, network->window, reinterpret_cast<POINT*>(&status), 2);
    EXPECT_LE(status.bottom, client.bottom);
    EXPECT_LE(status.right, client.right);
}

// At 125 % a place or size of n pixels becomes n × 1.25 rounded, half a pixel up: these
// rows are worked out by hand, so they hold even if the scaling itself cut the fraction.
void expectRoundedAt125(Win32WindowDriver& t) {
    const struct {
        int id;
        PixelRect rect;
    } rows[] = {
        {kDmxUniverseField, {225, 171, 113, 35}},  // 180, 137, 90, 28
        {kDmxStartRxButton, {913, 171, 275, 38}},  // 730, 137, 220, 30
        {kDmxPulseButton, {900, 269, 138, 38}},    // 720, 215, 110, 30
        {kDmxPageButton, {913, 55, 163, 40}},      // 730, 44, 130, 32
    };
    for (const auto& row : rows) {
        const WindowRect r = t.place(row.id);
        EXPECT_TRUE((PixelRect{r.x, r.y, r.width, r.height}) == row.rect) << row.id << ": " << r.x << " " << r.y << " " << r.width;
    }
    LOGFONTW font{};
    GetObjectW(t.window->uiFont, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -20);  // 16 pixels
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
        if (dpi == 120) expectRoundedAt125(t);
        RECT client{};
        GetClientRect(t.handle, &client);
        const WindowLayout layout = layoutForScaledClientSize(client.right, client.bottom, dpi);
        const WindowRect status = t.place(kDmxStatusText);
        EXPECT_EQ(status.y, layout.dmxStatus.y) << dpi;
        EXPECT_EQ(status.height, layout.dmxStatus.height) << dpi;
    }
}

TEST(WindowDpi, TheNetworkWindowIsScaledAlikeAndRelaid) {
    DmxUniverseState state;
    const auto network = openNetworkWindow(state);
    ASSERT_NE(network, nullptr);
    const int original = network->dpi;
    EXPECT_EQ(original, static_cast<int>(GetDpiForWindow(network->window)));
    expectNetworkRectsAt(*network, original);
    for (const int dpi : {192, 120, original}) {
        RECT outer{};
        GetWindowRect(network->window, &outer);
        const RECT suggested{outer.left, outer.top, outer.left + scaleToDpi(kNetworkMinimumOuterWidth, dpi),
                             outer.top + scaleToDpi(kNetworkMinimumOuterHeight, dpi)};
        SendMessageW(network->window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        expectNetworkRectsAt(*network, dpi);
        if (dpi != 120) continue;
        // Worked out by hand as for the main window: 1012.5 and 37.5 round up, 13.75 to 14.
        RECT monitor{};
        GetWindowRect(networkControlById(*network, kNetworkMonitorButton), &monitor);
        MapWindowPoints(nullptr, network->window, reinterpret_cast<POINT*>(&monitor), 2);
        EXPECT_EQ(monitor.left, 1013);  // 810, 136, 220, 30
        EXPECT_EQ(monitor.top, 170);
        EXPECT_EQ(monitor.right - monitor.left, 275);
        EXPECT_EQ(monitor.bottom - monitor.top, 38);
        LOGFONTW grid{};
        GetObjectW(network->gridFont, sizeof grid, &grid);
        EXPECT_EQ(grid.lfHeight, -14);  // 11 pixels
    }
}

}  // namespace
