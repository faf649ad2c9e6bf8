#include "win32_views.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "../../core/decimal_text.h"
#include "../../core/utf16_text_win32.h"
#include "win32_window.h"

std::wstring windowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(std::max(copied, 0)));
}

namespace {

std::wstring selectedEntryText(HWND selector) {
    const LRESULT index = SendMessageW(selector, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(selector, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(selector, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

bool isClass(HWND control, const wchar_t* name) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    return lstrcmpiW(className, name) == 0;
}

// The field holds 255 characters; a surrogate pair is never cut in half.
std::wstring cutToFieldCapacity(std::wstring text) {
    const std::size_t capacity = kFieldTextCapacity;
    if (text.size() <= capacity) return text;
    const bool splitsPair = text[capacity - 1] >= 0xD800 && text[capacity - 1] <= 0xDBFF;
    text.resize(splitsPair ? capacity - 1 : capacity);
    return text;
}

void holdLevelTableDrawing(Win32MainWindow& window) {
    if (window.levelTableHeld || !IsWindowVisible(window.levelTable)) return;
    SendMessageW(window.levelTable, WM_SETREDRAW, FALSE, 0);
    window.levelTableHeld = true;
}

}  // namespace

void releaseLevelTableDrawing(Win32MainWindow& window) {
    if (!window.levelTableHeld) return;
    window.levelTableHeld = false;
    SendMessageW(window.levelTable, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window.levelTable, nullptr, FALSE);
}

std::string controlText(const Win32MainWindow& window, int id) {
    const HWND control = controlById(window, id);
    if (!control) return {};
    const std::wstring text = isClass(control, L"COMBOBOX") ? selectedEntryText(control) : windowText(control);
    return utf16ToUtf8(cutToFieldCapacity(text));
}

void setControlText(Win32MainWindow& window, int id, const std::string& text) {
    const HWND control = controlById(window, id);
    if (!control) return;
    const std::wstring wide = utf8ToUtf16(text);
    if (isClass(control, L"STATIC") && windowText(control) == wide) return;
    SetWindowTextW(control, wide.c_str());
}

DmxView makeDmxView(Win32MainWindow& window) {
    Win32MainWindow* w = &window;
    DmxView view;
    view.fieldText = [w](int id) { return controlText(*w, id); };
    view.selectorIndex = [w](int id) {
        const HWND selector = controlById(*w, id);
        return selector ? static_cast<int>(SendMessageW(selector, CB_GETCURSEL, 0, 0)) : -1;
    };
    view.setControlText = [w](int id, const std::string& text) { setControlText(*w, id, text); };
    view.enableControl = [w](int id, bool enabled) {
        if (HWND control = controlById(*w, id)) EnableWindow(control, enabled ? TRUE : FALSE);
    };
    view.setCellText = [w](int row, int column, const std::string& text) {
        if (!setLevelCell(w->levelCells, row, column, text)) return;
        holdLevelTableDrawing(*w);
        std::wstring wide = utf8ToUtf16(text);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = wide.data();
        SendMessageW(w->levelTable, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    };
    return view;
}

MidiView makeMidiView(Win32MainWindow& window) {
    Win32MainWindow* w = &window;
    MidiView view;
    view.clearSelector = [w](int id) {
        if (HWND selector = controlById(*w, id)) SendMessageW(selector, CB_RESETCONTENT, 0, 0);
    };
    view.addSelectorItem = [w](int id, const std::string& text, int value) {
        const HWND selector = controlById(*w, id);
        if (!selector) return;
        const LRESULT at = SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(text).c_str()));
        if (at >= 0) SendMessageW(selector, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(value));
    };
    view.selectSelectorIndex = [w](int id, int index) {
        if (HWND selector = controlById(*w, id)) SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    };
    view.selectedItemValue = [w](int id) {
        const HWND selector = controlById(*w, id);
        if (!selector) return -1;
        const LRESULT index = SendMessageW(selector, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) return -1;
        return static_cast<int>(SendMessageW(selector, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    };
    view.fieldInteger = [w](int id, int fallback) { return decimalToInt32(controlText(*w, id)).value_or(fallback); };
    view.setControlText = [w](int id, const std::string& text) { setControlText(*w, id, text); };
    view.appendListRow = [w](int id, const std::string& row) {
        if (HWND list = controlById(*w, id)) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(row).c_str()));
    };
    view.deleteFirstListRow = [w](int id) {
        if (HWND list = controlById(*w, id)) SendMessageW(list, LB_DELETESTRING, 0, 0);
    };
    view.listRowCount = [w](int id) {
        const HWND list = controlById(*w, id);
        return list ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
    };
    view.scrollListToEnd = [w](int id) {
        const HWND list = controlById(*w, id);
        if (!list) return;
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        if (count > 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    };
    return view;
}
