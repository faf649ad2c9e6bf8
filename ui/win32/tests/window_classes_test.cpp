// What only the Win32 window has as it opens: its class, style and size limits, the class,
// styles and font of every control, the level columns before the first size and the
// window's own timer. The behaviour both windows share: ui/tests.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/utf16_text_win32.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

std::string className(HWND handle) {
    wchar_t name[64] = {};
    GetClassNameW(handle, name, 64);
    return utf16ToUtf8(name);
}

LONG_PTR style(HWND handle) { return GetWindowLongPtrW(handle, GWL_STYLE); }

TEST(WindowWin32, ClassStyleAndSizeLimits) {
    Win32WindowDriver t;
    EXPECT_EQ(className(t.handle), "VelmoraLumibox");
    EXPECT_EQ(style(t.handle) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    MINMAXINFO limits{};
    SendMessageW(t.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 1000);
    EXPECT_EQ(limits.ptMinTrackSize.y, 800);
}

TEST(WindowWin32, EveryControlInTheOneFontWithoutTabStops) {
    Win32WindowDriver t;
    // The unnamed labels (id 0) too.
    for (HWND child = GetWindow(t.handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id == 0) {
            EXPECT_EQ(className(child), "Static");
        }
        EXPECT_EQ(SendMessageW(child, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(t.window->uiFont)) << id;
        EXPECT_EQ(style(child) & WS_TABSTOP, 0) << id;
    }
}

TEST(WindowDefaults, ClassesAndStylesOfEachKind) {
    Win32WindowDriver t;
    struct Case {
        int id;
        const char* className;
        LONG_PTR styleBits;
        LONG_PTR absentBits;
    };
    const Case cases[] = {
        {101, "ComboBox", CBS_DROPDOWNLIST, WS_VSCROLL},
        // WS_VSCROLL of a selector goes to its drop-down list, and a list box shows it only
        // while its rows overflow, so it is not asked here.
        {203, "ComboBox", CBS_DROPDOWNLIST, 0},
        {206, "ComboBox", CBS_DROPDOWNLIST, WS_VSCROLL},
        {102, "Edit", ES_NUMBER, 0},
        {210, "Edit", ES_NUMBER, 0},
        {103, "Edit", 0, ES_NUMBER},
        {104, "Edit", 0, ES_NUMBER},
        {105, "Button", BS_OWNERDRAW, 0},
        {201, "Button", BS_OWNERDRAW, 0},
        {214, "Button", BS_OWNERDRAW, 0},
        {114, "SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0},
        {216, "ListBox", LBS_NOINTEGRALHEIGHT | WS_BORDER, 0},
        {115, "Static", 0, 0},
    };
    for (const Case& c : cases) {
        const HWND handle = t.control(c.id);
        EXPECT_EQ(className(handle), c.className) << c.id;
        EXPECT_EQ(style(handle) & c.styleBits, c.styleBits) << c.id;
        EXPECT_EQ(style(handle) & c.absentBits, 0) << c.id;
        const bool edit = className(handle) == "Edit";
        EXPECT_EQ((GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, edit) << c.id;
    }
    const LRESULT extended = SendMessageW(t.control(114), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    const LRESULT wanted = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    EXPECT_EQ(extended & wanted, wanted);
    EXPECT_EQ(SendMessageW(t.control(114), LVM_GETBKCOLOR, 0, 0), RGB(0x0E, 0x19, 0x28));
    EXPECT_EQ(SendMessageW(t.control(114), LVM_GETTEXTBKCOLOR, 0, 0), RGB(0x0E, 0x19, 0x28));
    EXPECT_EQ(SendMessageW(t.control(114), LVM_GETTEXTCOLOR, 0, 0), RGB(0xE1, 0xED, 0xF9));
}

TEST(WindowWin32, LevelColumnWidthsBeforeTheFirstSize) {
    Win32WindowDriver t;
    // The window has not been shown, so no size message has set the widths yet.
    for (int column : {0, 1, 2}) EXPECT_EQ(t.levelColumnWidth(column), (column == 0 ? 180 : 310)) << column;
}

// The window's own 10 ms timer, on the real clock: the first ticks replace the initial
// status texts without any help.
TEST(WindowDefaults, TimerTicksOnItsOwn) {
    DmxUniverseState state;
    auto window = createMainWindow(GetModuleHandleW(nullptr), state);
    ASSERT_NE(window, nullptr);
    const HWND status = GetDlgItem(window->window, kDmxStatusText);
    wchar_t text[256] = {};
    const ULONGLONG deadline = GetTickCount64() + 5000;
    do {
        pumpMessages();
        Sleep(5);
        GetWindowTextW(status, text, 256);
    } while (std::wstring(text).starts_with(L"Ready.") && GetTickCount64() < deadline);
    EXPECT_TRUE(std::wstring(text).starts_with(L"RX 0 | TX 0 | Rejected 0 | No signal yet"));
}

}  // namespace
