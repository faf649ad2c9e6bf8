#include "window_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <vector>

#include "core/utf16_text_win32.h"
#include "net/socket/socket_layer.h"

namespace {

// What the program's entry starts before the window exists.
struct WindowLibraries : ::testing::Environment {
    ULONG_PTR gdiplusToken = 0;
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr), Gdiplus::Ok);
        startSocketLibrary();
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        registerMainWindowClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        stopSocketLibrary();
        Gdiplus::GdiplusShutdown(gdiplusToken);
    }
};

[[maybe_unused]] ::testing::Environment* const libraries = ::testing::AddGlobalTestEnvironment(new WindowLibraries);

}  // namespace

// wine binds a socket for another loopback address on 0.0.0.0, so the peer takes
// 127.0.0.1 itself, more specific than the window's 0.0.0.0.
const char* const kCapturePeerAddress = "127.0.0.1";

std::unique_ptr<WindowDriver> openTestWindow() { return std::make_unique<Win32WindowDriver>(); }

FrontEndWindow::FrontEndWindow(std::function<uint64_t()> clock) {
    Win32WindowOptions options;
    options.startTimer = false;
    options.clock = std::move(clock);
    window = createMainWindow(GetModuleHandleW(nullptr), state, options);
    EXPECT_NE(window, nullptr);
    handle = window ? window->window : nullptr;
}

void Win32WindowDriver::deliverTick() { SendMessageW(handle, WM_TIMER, kTickTimerId, 0); }

void FrontEndWindow::show() {
    ShowWindow(handle, SW_SHOWNORMAL);
    UpdateWindow(handle);
    pumpMessages();
}

void Win32WindowDriver::processEvents() { pumpMessages(); }

void Win32WindowDriver::click(int id) { SendMessageW(control(id), BM_CLICK, 0, 0); }

void Win32WindowDriver::doubleClick(int id) {
    const HWND button = control(id);
    const LPARAM inside = MAKELPARAM(10, 10);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageW(button, WM_LBUTTONUP, 0, inside);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    SendMessageW(button, WM_LBUTTONUP, 0, inside);
}

void Win32WindowDriver::sendCommand(int id, int notification) {
    SendMessageW(handle, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control(id)));
}

void Win32WindowDriver::setText(int id, const std::string& text) {
    SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(text).c_str()));
}

void Win32WindowDriver::typeKeys(int id, const std::string& keys) {
    for (const char key : keys) SendMessageW(control(id), WM_CHAR, static_cast<WPARAM>(key), 1);
}

void Win32WindowDriver::select(int id, int index) { SendMessageW(control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void Win32WindowDriver::resizeOuter(int width, int height) {
    SetWindowPos(handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

void Win32WindowDriver::resizeClient(int width, int height) {
    SendMessageW(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

void Win32WindowDriver::close() { SendMessageW(handle, WM_CLOSE, 0, 0); }

void Win32WindowDriver::press(int id, bool down) { SendMessageW(control(id), BM_SETSTATE, down ? TRUE : FALSE, 0); }

std::string Win32WindowDriver::title() {
    wchar_t text[256] = {};
    GetWindowTextW(handle, text, 256);
    return utf16ToUtf8(text);
}

// The test program has no icon resource: the window carries the icon drawn at start.
bool Win32WindowDriver::hasIcon() {
    return SendMessageW(handle, WM_GETICON, ICON_BIG, 0) != 0 && SendMessageW(handle, WM_GETICON, ICON_SMALL, 0) != 0;
}

WindowRect Win32WindowDriver::outerSize() {
    RECT outer{};
    GetWindowRect(handle, &outer);
    return {0, 0, outer.right - outer.left, outer.bottom - outer.top};
}

WindowRect Win32WindowDriver::clientSize() {
    RECT client{};
    GetClientRect(handle, &client);
    return {0, 0, client.right, client.bottom};
}

int Win32WindowDriver::controlsWithId(int id) {
    int count = 0;
    for (HWND child = GetWindow(handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) count += GetDlgCtrlID(child) == id;
    return count;
}

WindowRect Win32WindowDriver::place(int id) {
    RECT rect{};
    GetWindowRect(control(id), &rect);
    MapWindowPoints(nullptr, handle, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

namespace {

std::string windowText(HWND window) {
    std::vector<wchar_t> text(1024, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    std::string utf8 = utf16ToUtf8(text.data());
    std::erase(utf8, '\r');
    return utf8;
}

std::string selectorEntry(HWND selector, LRESULT index) {
    if (index == CB_ERR || SendMessageW(selector, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 1024) return {};
    std::vector<wchar_t> text(1024, L'\0');
    SendMessageW(selector, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return utf16ToUtf8(text.data());
}

}  // namespace

std::string Win32WindowDriver::text(int id) { return shownText(control(id)); }

std::string shownText(HWND shownControl) {
    wchar_t className[32] = {};
    GetClassNameW(shownControl, className, 32);
    if (lstrcmpiW(className, L"COMBOBOX") == 0) {
        return selectorEntry(shownControl, SendMessageW(shownControl, CB_GETCURSEL, 0, 0));
    }
    return windowText(shownControl);
}

std::vector<std::string> Win32WindowDriver::labelsWithoutId() {
    std::vector<std::string> texts;
    for (HWND child = GetWindow(handle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0) texts.push_back(windowText(child));
    }
    return texts;
}

std::vector<std::string> Win32WindowDriver::entries(int selector) {
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(control(selector), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) texts.push_back(selectorEntry(control(selector), i));
    return texts;
}

int Win32WindowDriver::selectedIndex(int selector) {
    return static_cast<int>(SendMessageW(control(selector), CB_GETCURSEL, 0, 0));
}

bool Win32WindowDriver::shown(int id) { return (GetWindowLongPtrW(control(id), GWL_STYLE) & WS_VISIBLE) != 0; }

bool Win32WindowDriver::enabled(int id) { return IsWindowEnabled(control(id)) != FALSE; }

std::vector<std::string> Win32WindowDriver::levelColumnTitles() {
    const HWND table = control(kDmxLevelTable);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(table, LVM_GETHEADER, 0, 0));
    std::vector<std::string> titles;
    const LRESULT count = SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
    for (LRESULT column = 0; column < count; ++column) {
        wchar_t title[64] = {};
        LVCOLUMNW query{};
        query.mask = LVCF_TEXT;
        query.pszText = title;
        query.cchTextMax = 64;
        SendMessageW(table, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&query));
        titles.push_back(utf16ToUtf8(title));
    }
    return titles;
}

int Win32WindowDriver::levelRowCount() { return static_cast<int>(SendMessageW(control(kDmxLevelTable), LVM_GETITEMCOUNT, 0, 0)); }

int Win32WindowDriver::levelColumnWidth(int column) {
    return static_cast<int>(SendMessageW(control(kDmxLevelTable), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::string Win32WindowDriver::cell(int row, int column) { return listCellText(control(kDmxLevelTable), row, column); }

std::string listCellText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return utf16ToUtf8(text);
}

std::vector<std::string> Win32WindowDriver::messageRows() {
    const HWND list = control(kMidiMessageList);
    std::vector<std::string> rows;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(utf16ToUtf8(text));
    }
    return rows;
}

// The window is gone and the loop is told to end with 0.
bool Win32WindowDriver::closed() {
    MSG quit{};
    return !IsWindow(handle) && PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 0;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Read back from the window's device context.
WindowPicture Win32WindowDriver::picture() {
    if (!IsWindowVisible(handle)) show();
    return clientPicture(handle);
}

WindowPicture clientPicture(HWND handle) {
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpMessages();
    RECT client{};
    GetClientRect(handle, &client);
    WindowPicture picture;
    picture.width = client.right;
    picture.height = client.bottom;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC windowDc = GetDC(handle);
    const HDC memoryDc = CreateCompatibleDC(windowDc);
    const HBITMAP bitmap = CreateDIBSection(windowDc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, picture.width, picture.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(source, source + static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (uint32_t& pixel : picture.pixels) pixel &= 0xFFFFFF;  // BGRA in memory reads as 0xAARRGGBB
    SelectObject(memoryDc, previous);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(handle, windowDc);
    return picture;
}
