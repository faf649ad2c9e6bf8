// The Network window driver (ui/tests/network_window_driver.h) on the real Win32 window
// under wine: controls by id, rows read back from the report lists as a screen reader
// would, input as the messages the system sends.
#include <windows.h>
#include <commctrl.h>

#include "core/product_identity.h"
#include "core/utf16_text_win32.h"
#include "ui/tests/network_window_driver.h"
#include "ui/win32/tests/window_test_support.h"
#include "ui/win32/win32_network_window.h"

struct NetworkWindowDriver::Window {
    DmxUniverseState state;
    std::unique_ptr<Win32NetworkWindow> window;
    HWND handle = nullptr;
    HWND control(int id) const { return GetDlgItem(handle, id); }
};

NetworkWindowDriver::NetworkWindowDriver() : window_(std::make_unique<Window>()) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerNetworkWindowClass(instance);
    Win32NetworkWindowOptions options;
    options.startTimer = false;
    window_->window = createNetworkWindow(instance, window_->state, options);
    window_->handle = window_->window ? window_->window->window : nullptr;
    ShowWindow(window_->handle, SW_SHOWNORMAL);
    UpdateWindow(window_->handle);
    pumpMessages();
}

NetworkWindowDriver::~NetworkWindowDriver() {
    window_->window.reset();
    pumpMessages();
}

void NetworkWindowDriver::tick() {
    SendMessageW(window_->handle, WM_TIMER, kNetworkTimerId, 0);
    const auto& main = window_->window->mainWindow;
    if (main && main->window) SendMessageW(main->window, WM_TIMER, kTickTimerId, 0);
    pumpMessages();
}

void NetworkWindowDriver::click(int id) {
    SendMessageW(window_->control(id), BM_CLICK, 0, 0);
    pumpMessages();
}

void NetworkWindowDriver::setText(int id, const std::string& text) {
    SendMessageW(window_->control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(text).c_str()));
}

void NetworkWindowDriver::selectRow(int tableId, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(window_->control(tableId), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    pumpMessages();
}

std::string NetworkWindowDriver::text(int id) { return shownText(window_->control(id)); }

bool NetworkWindowDriver::enabled(int id) { return IsWindowEnabled(window_->control(id)) != FALSE; }

std::vector<std::vector<std::string>> NetworkWindowDriver::rows(int tableId) {
    const HWND list = window_->control(tableId);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < columns; ++column) rows[row].push_back(listCellText(list, static_cast<int>(row), column));
    }
    return rows;
}

int NetworkWindowDriver::selectedRow(int tableId) {
    return static_cast<int>(SendMessageW(window_->control(tableId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

NetworkGrid NetworkWindowDriver::grid() { return window_->window->grid; }

WindowPicture NetworkWindowDriver::picture() { return clientPicture(window_->handle); }

namespace {

BOOL CALLBACK countMainWindow(HWND window, LPARAM count) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && utf16ToUtf8(name) == kWindowClassName) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

int NetworkWindowDriver::mainWindowsShown() {
    int shown = 0;
    EnumThreadWindows(GetCurrentThreadId(), countMainWindow, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

std::string NetworkWindowDriver::mainWindowText(int id) {
    return window_->window->mainWindow ? shownText(GetDlgItem(window_->window->mainWindow->window, id)) : std::string();
}
