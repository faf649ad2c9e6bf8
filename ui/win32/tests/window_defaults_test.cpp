// The window as it opens: its class, title and sizes, every control where the table puts
// it with its class and styles, the defaults of both pages, the page switch and the
// digits-only fields.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/utf16_text_win32.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

std::string className(HWND handle) {
    wchar_t name[64] = {};
    GetClassNameW(handle, name, 64);
    return utf16ToUtf8(name);
}

LONG_PTR style(HWND handle) { return GetWindowLongPtrW(handle, GWL_STYLE); }

TEST(WindowDefaults, ClassTitleAndSizes) {
    TestWindow t;
    EXPECT_EQ(className(t.handle), "VelmoraLumibox");
    wchar_t title[64] = {};
    GetWindowTextW(t.handle, title, 64);
    EXPECT_EQ(utf16ToUtf8(title), "Velmora Lumibox 0.2.1");
    EXPECT_EQ(style(t.handle) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    RECT outer{};
    GetWindowRect(t.handle, &outer);
    EXPECT_EQ(outer.right - outer.left, 1000);
    EXPECT_EQ(outer.bottom - outer.top, 870);

    // The test program has no icon resource: the window carries the icon drawn at start.
    EXPECT_NE(SendMessageW(t.handle, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(t.handle, WM_GETICON, ICON_SMALL, 0), 0);

    MINMAXINFO limits{};
    SendMessageW(t.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 1000);
    EXPECT_EQ(limits.ptMinTrackSize.y, 800);
    // Sizing below the minimum stops at it.
    SetWindowPos(t.handle, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(t.handle, &outer);
    EXPECT_EQ(outer.right - outer.left, 1000);
    EXPECT_EQ(outer.bottom - outer.top, 800);
}

TEST(WindowDefaults, EveryIdFindsOneControlOfItsClassAtItsPlace) {
    TestWindow t;
    for (const ControlDefinition& definition : controlTable()) {
        if (definition.id == 0) continue;
        const HWND handle = control(t, definition.id);
        ASSERT_NE(handle, nullptr) << definition.id;
        const RECT rect = clientRectOf(t, definition.id);
        EXPECT_EQ(rect.left, definition.x) << definition.id;
        EXPECT_EQ(rect.top, definition.y) << definition.id;
        EXPECT_EQ(rect.right - rect.left, definition.width) << definition.id;
        // A selector's height is its dropped-down list's; the lists and status texts
        // follow the client size.
        const bool followsSize = definition.kind == ControlKind::LevelTable || definition.kind == ControlKind::MessageList ||
                                 definition.id == kDmxStatusText || definition.id == kMidiStatusText;
        if (definition.kind != ControlKind::Selector && !followsSize) {
            EXPECT_EQ(rect.bottom - rect.top, definition.height) << definition.id;
        }
        EXPECT_EQ(SendMessageW(handle, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(t.window->uiFont)) << definition.id;
        EXPECT_EQ(style(handle) & WS_TABSTOP, 0) << definition.id;
    }
    for (const ExpectedPlace& place : kPlacesAtStart) {
        const RECT rect = clientRectOf(t, place.id);
        EXPECT_EQ(rect.left, place.x) << place.id;
        EXPECT_EQ(rect.top, place.y) << place.id;
        EXPECT_EQ(rect.right - rect.left, place.width) << place.id;
        EXPECT_EQ(rect.bottom - rect.top, place.height) << place.id;
    }
    // The unnamed labels are there too, with id 0, in the same font.
    int labels = 0;
    for (HWND child = GetWindow(t.handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) != 0) continue;
        ++labels;
        EXPECT_EQ(className(child), "Static");
        EXPECT_EQ(SendMessageW(child, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(t.window->uiFont));
    }
    EXPECT_EQ(labels, 21);
}

TEST(WindowDefaults, ClassesAndStylesOfEachKind) {
    TestWindow t;
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
        const HWND handle = control(t, c.id);
        EXPECT_EQ(className(handle), c.className) << c.id;
        EXPECT_EQ(style(handle) & c.styleBits, c.styleBits) << c.id;
        EXPECT_EQ(style(handle) & c.absentBits, 0) << c.id;
        const bool edit = className(handle) == "Edit";
        EXPECT_EQ((GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, edit) << c.id;
    }
    const LRESULT extended = SendMessageW(control(t, 114), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    const LRESULT wanted = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    EXPECT_EQ(extended & wanted, wanted);
    EXPECT_EQ(SendMessageW(control(t, 114), LVM_GETBKCOLOR, 0, 0), RGB(0x0E, 0x19, 0x28));
    EXPECT_EQ(SendMessageW(control(t, 114), LVM_GETTEXTBKCOLOR, 0, 0), RGB(0x0E, 0x19, 0x28));
    EXPECT_EQ(SendMessageW(control(t, 114), LVM_GETTEXTCOLOR, 0, 0), RGB(0xE1, 0xED, 0xF9));
}

std::string selectorEntry(const TestWindow& t, int id, int index) {
    wchar_t text[128] = {};
    SendMessageW(control(t, id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return utf16ToUtf8(text);
}

TEST(WindowDefaults, FieldsSelectorsAndTexts) {
    TestWindow t;
    for (const ExpectedText& expected : kTextsAtStart) EXPECT_EQ(textOf(t, expected.id), expected.text) << expected.id;

    struct Selector {
        int id;
        std::span<const char* const> entries;
    };
    for (const Selector& selector : {Selector{101, kProtocolEntries}, Selector{206, kMidiTypeEntries}}) {
        ASSERT_EQ(SendMessageW(control(t, selector.id), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(selector.entries.size()));
        for (std::size_t index = 0; index < selector.entries.size(); ++index) {
            EXPECT_EQ(selectorEntry(t, selector.id, static_cast<int>(index)), selector.entries[index]) << selector.id;
        }
        EXPECT_EQ(SendMessageW(control(t, selector.id), CB_GETCURSEL, 0, 0), 0);
    }
    // The type selector's entries carry their index, as the MIDI engine reads it.
    EXPECT_EQ(t.window->engines.midi.view.selectedItemValue(206), 0);
    SendMessageW(control(t, 206), CB_SETCURSEL, 2, 0);
    EXPECT_EQ(t.window->engines.midi.view.selectedItemValue(206), 2);

    // wine offers no MIDI devices: the port selectors hold the placeholder only, selected.
    for (int id : {203, 204}) {
        ASSERT_EQ(SendMessageW(control(t, id), CB_GETCOUNT, 0, 0), 1) << id;
        EXPECT_EQ(selectorEntry(t, id, 0), kMidiPortPlaceholder);
        EXPECT_EQ(SendMessageW(control(t, id), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(t.window->engines.midi.view.selectedItemValue(id), -1);
    }
}

TEST(WindowDefaults, LevelTableHas512NumberedRowsOfZeros) {
    TestWindow t;
    const HWND table = control(t, kDmxLevelTable);
    ASSERT_EQ(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0), 512);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    const int widths[] = {180, 310, 310};
    for (int column = 0; column < 3; ++column) {
        wchar_t title[64] = {};
        LVCOLUMNW query{};
        query.mask = LVCF_TEXT;
        query.pszText = title;
        query.cchTextMax = 64;
        SendMessageW(table, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&query));
        EXPECT_EQ(utf16ToUtf8(title), kLevelColumnTitles[column]);
        // The window has not been shown, so no size message has set the widths yet.
        EXPECT_EQ(SendMessageW(table, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0), widths[column]);
    }
    for (int row : {0, 1, 255, 511}) {
        EXPECT_EQ(levelCell(t, row, 0), std::to_string(row + 1));
        EXPECT_EQ(levelCell(t, row, 1), "0");
        EXPECT_EQ(levelCell(t, row, 2), "0");
    }
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

TEST(WindowDefaults, FirstTickReplacesBothInitialStatusTexts) {
    TestWindow t;
    t.tick();
    EXPECT_EQ(textOf(t, kDmxStatusText), kDmxStatusAfterFirstTick);
    EXPECT_EQ(textOf(t, kMidiStatusText), kMidiStatusAfterFirstTick);
}

void typeKeys(HWND field, const char* keys) {
    for (const char* key = keys; *key; ++key) SendMessageW(field, WM_CHAR, static_cast<WPARAM>(*key), 1);
}

TEST(WindowDefaults, DigitFieldsTakeOnlyDigitsOtherFieldsTakeAnyText) {
    TestWindow t;
    for (int id : kDigitOnlyFieldIds) {
        typeText(t, id, "");
        typeKeys(control(t, id), "-5a 7.");
        EXPECT_EQ(textOf(t, id), "57") << id;
    }
    for (int id : kFreeTextFieldIds) {
        typeText(t, id, "");
        typeKeys(control(t, id), "multicast -1");
        EXPECT_EQ(textOf(t, id), "multicast -1") << id;
    }
}

TEST(WindowDefaults, FieldTextIsCutTo255Characters) {
    TestWindow t;
    typeText(t, 104, std::string(300, 'x'));
    EXPECT_EQ(t.window->engines.dmxView.fieldText(104).size(), 255u);
    // Never half of a surrogate pair: 254 letters and one character outside the BMP.
    typeText(t, 104, std::string(254, 'x') + "\xF0\x9F\x8E\xB9" + "yy");
    EXPECT_EQ(t.window->engines.dmxView.fieldText(104), std::string(254, 'x'));
}

// Shown within the window, whether or not the window itself is on the screen.
bool shown(const TestWindow& t, int id) { return (GetWindowLongPtrW(control(t, id), GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(WindowPages, ButtonsSwitchPagesAndKeepEveryFieldsState) {
    TestWindow t;
    for (int id : kDmxPageIds) EXPECT_TRUE(shown(t, id)) << id;
    for (int id : kMidiPageIds) EXPECT_FALSE(shown(t, id)) << id;

    typeText(t, 102, "7");
    SendMessageW(control(t, 101), CB_SETCURSEL, 1, 0);
    typeText(t, 208, "61");
    SendMessageW(control(t, 206), CB_SETCURSEL, 1, 0);

    click(t, kMidiPageButton);
    for (int id : kDmxPageIds) EXPECT_FALSE(shown(t, id)) << id;
    for (int id : kMidiPageIds) EXPECT_TRUE(shown(t, id)) << id;
    EXPECT_TRUE(shown(t, kDmxPageButton));
    EXPECT_TRUE(shown(t, kMidiPageButton));

    click(t, kDmxPageButton);
    for (int id : kDmxPageIds) EXPECT_TRUE(shown(t, id)) << id;
    for (int id : kMidiPageIds) EXPECT_FALSE(shown(t, id)) << id;
    EXPECT_EQ(textOf(t, 102), "7");
    EXPECT_EQ(textOf(t, 101), "Art-Net");
    EXPECT_EQ(textOf(t, 208), "61");
    EXPECT_EQ(textOf(t, 206), "Control Change");
}

TEST(WindowPages, HiddenPageStatusKeepsBeingRefreshed) {
    TestWindow t;
    click(t, kMidiPageButton);
    typeText(t, 110, "");  // Value empty: the range message
    sendCommand(t, 107, 0);
    t.tick();
    EXPECT_EQ(messageLine(t, kDmxStatusText), kRangeMessage);
}

}  // namespace
