// The controls of the main window, made from the control table; the page lists, the
// page switch and the resize rule.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "../../core/utf16_text_win32.h"
#include "../window_layout.h"
#include "win32_painting.h"
#include "win32_midi_wake.h"
#include "win32_views.h"
#include "win32_window.h"

namespace {

const wchar_t* classNameOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label: return L"STATIC";
        case ControlKind::Selector: return L"COMBOBOX";
        case ControlKind::Field: return L"EDIT";
        case ControlKind::Button: return L"BUTTON";
        case ControlKind::LevelTable: return WC_LISTVIEWW;
        case ControlKind::MessageList: return L"LISTBOX";
    }
    return L"STATIC";
}

DWORD styleOf(const ControlDefinition& control) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (control.kind) {
        case ControlKind::Label: break;
        // Drawn by the window, so a locked selector keeps its light text.
        case ControlKind::Selector: style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
        // Text longer than the field scrolls, as in any text field.
        case ControlKind::Field: style |= ES_AUTOHSCROLL; break;
        // Every button is drawn by the window (win32_painting.cpp).
        case ControlKind::Button: style |= BS_OWNERDRAW; break;
        case ControlKind::LevelTable: style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS; break;
        case ControlKind::MessageList: style |= LBS_NOINTEGRALHEIGHT; break;
    }
    if (control.style & kDigitsOnly) style |= ES_NUMBER;
    if (control.style & kVerticalScroll) style |= WS_VSCROLL;
    if (control.style & kBorder) style |= WS_BORDER;
    return style;
}

// The fixed entries, each carrying its index as value, the first one selected.
void fillSelector(HWND selector, int id) {
    const auto entries = fixedSelectorEntries(id);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const LRESULT at = SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(entries[index]).c_str()));
        SendMessageW(selector, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(index));
    }
    if (!entries.empty()) SendMessageW(selector, CB_SETCURSEL, 0, 0);
}

// Report view with the three columns and one row per slot.
void setUpLevelTable(Win32MainWindow& window, HWND table) {
    setUpReportList(table);
    const auto columns = levelTableColumns();
    for (std::size_t index = 0; index < columns.size(); ++index) {
        insertListColumn(table, static_cast<int>(index), columns[index].title, scaleToDpi(columns[index].initialWidth, window.dpi));
    }
    // One redraw after all rows, not one per row.
    SendMessageW(table, WM_SETREDRAW, FALSE, 0);
    SendMessageW(table, LVM_SETITEMCOUNT, kLevelRowCount, 0);
    for (int row = 0; row < kLevelRowCount; ++row) {
        std::wstring number = utf8ToUtf16(window.levelCells.rows[static_cast<std::size_t>(row)][0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = number.data();
        SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(table, WM_SETREDRAW, TRUE, 0);
}

PixelRect tableRect(const ControlDefinition& control, int dpi) {
    return scaleToDpi(PixelRect{control.x, control.y, control.width, control.height}, dpi);
}

// Creates one control as its table row says, in the window's font, into its page list.
HWND addControl(Win32MainWindow& window, const ControlDefinition& control) {
    const HWND handle = createControl(window.window, window.uiFont, control, window.dpi);
    window.controls.push_back(handle);
    if (control.page == ControlPage::Dmx) window.dmxPage.push_back(handle);
    if (control.page == ControlPage::Midi) window.midiPage.push_back(handle);
    if (control.id != 0) window.byId[control.id] = handle;
    return handle;
}

void place(HWND control, const PixelRect& rect) {
    MoveWindow(control, rect.x, rect.y, std::max(rect.width, 0), std::max(rect.height, 0), TRUE);
}

}  // namespace

void setUpReportList(HWND list) {
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) subclassListHeader(header);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colourRef(kTableBackgroundColour)));
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colourRef(kTableBackgroundColour)));
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colourRef(kTableTextColour)));
}

void insertListColumn(HWND list, int index, const char* title, int width) {
    std::wstring text = utf8ToUtf16(title);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = width;
    column.pszText = text.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

HWND createControl(HWND parent, HFONT font, const ControlDefinition& control, int dpi) {
    const DWORD extendedStyle = control.kind == ControlKind::Field ? WS_EX_CLIENTEDGE : 0;
    const PixelRect rect = tableRect(control, dpi);
    const HWND handle = CreateWindowExW(extendedStyle, classNameOf(control.kind), utf8ToUtf16(control.text).c_str(),
                                        styleOf(control), rect.x, rect.y, rect.width, rect.height, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (control.kind == ControlKind::Selector) useClassicDrawing(handle);
    if (control.kind == ControlKind::Field) keepLightTextWhenDisabled(handle);
    return handle;
}

void buildMainWindow(Win32MainWindow& window, HWND handle) {
    startFrame(window);
    // Rows from the MIDI thread wake the window with a posted message.
    setMidiInputWakeUp(window.engines.midi, postMidiWakeMessage, handle);

    for (const ControlDefinition& control : controlTable()) {
        const HWND created = addControl(window, control);
        if (control.kind == ControlKind::Selector) fillSelector(created, control.id);
        if (control.kind == ControlKind::LevelTable) {
            window.levelTable = created;
            setUpLevelTable(window, created);
        }
        if (control.kind == ControlKind::MessageList) window.messageList = created;
    }
    window.engines.dmxView = makeDmxView(window);
    window.engines.midi.view = makeMidiView(window);
    fillEngineViews(window.engines);
    releaseLevelTableDrawing(window);
    showPage(window, ControlPage::Dmx);
    finishFrame(window, kTickPeriodMs);
}

void showPage(Win32MainWindow& window, ControlPage page) {
    const bool dmx = page == ControlPage::Dmx;
    for (HWND control : dmx ? window.dmxPage : window.midiPage) ShowWindow(control, SW_SHOW);
    for (HWND control : dmx ? window.midiPage : window.dmxPage) ShowWindow(control, SW_HIDE);
    InvalidateRect(window.window, nullptr, TRUE);
}

void layoutControls(Win32MainWindow& window, uint16_t clientWidth, uint16_t clientHeight) {
    if (!window.levelTable) return;
    const WindowLayout layout = layoutForScaledClientSize(clientWidth, clientHeight, window.dpi);
    place(window.levelTable, layout.levelTable);
    if (HWND status = controlById(window, kDmxStatusText)) place(status, layout.dmxStatus);
    SendMessageW(window.levelTable, LVM_SETCOLUMNWIDTH, kDmxChannelColumn, MAKELPARAM(layout.channelColumnWidth, 0));
    for (int column : {kDmxReceivedColumn, kDmxOutputColumn}) {
        SendMessageW(window.levelTable, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(layout.levelColumnWidth, 0));
    }
    if (!window.messageList) return;
    place(window.messageList, layout.midiList);
    if (HWND status = controlById(window, kMidiStatusText)) place(status, layout.midiStatus);
}

namespace {

// An owner-drawn selector keeps the row heights it measured at creation: they follow
// the font by the same factor.
void rescaleSelectorRows(HWND selector, int from, int to) {
    for (const WPARAM part : {static_cast<WPARAM>(-1), WPARAM{0}}) {
        const LRESULT height = SendMessageW(selector, CB_GETITEMHEIGHT, part, 0);
        if (height > 0) SendMessageW(selector, CB_SETITEMHEIGHT, part, MulDiv(static_cast<int>(height), to, from));
    }
}

}  // namespace

void applyDpi(Win32MainWindow& window, int dpi, const RECT& suggested) {
    changeFrameDpi(window, dpi, suggested, [&window, dpi](int previousDpi) {
        const auto table = controlTable();
        for (std::size_t index = 0; index < window.controls.size() && index < table.size(); ++index) {
            SendMessageW(window.controls[index], WM_SETFONT, reinterpret_cast<WPARAM>(window.uiFont), FALSE);
            if (table[index].kind == ControlKind::Selector) rescaleSelectorRows(window.controls[index], previousDpi, dpi);
            place(window.controls[index], tableRect(table[index], dpi));
        }
        const auto columns = levelTableColumns();
        SendMessageW(window.levelTable, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(scaleToDpi(columns[0].initialWidth, dpi), 0));
        RECT client{};
        GetClientRect(window.window, &client);
        layoutControls(window, static_cast<uint16_t>(client.right), static_cast<uint16_t>(client.bottom));
    });
}

HWND controlById(const Win32MainWindow& window, int id) {
    const auto found = window.byId.find(id);
    return found == window.byId.end() ? nullptr : found->second;
}
