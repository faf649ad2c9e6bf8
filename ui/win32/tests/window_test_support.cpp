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

TestWindow::TestWindow() {
    Win32WindowOptions options;
    options.startTimer = false;
    options.clock = [this] { return now; };
    window = createMainWindow(GetModuleHandleW(nullptr), state, options);
    EXPECT_NE(window, nullptr);
    handle = window ? window->window : nullptr;
}

void TestWindow::tick(int count) {
    for (int i = 0; i < count; ++i) {
        now += kTickPeriodMs;
        SendMessageW(handle, WM_TIMER, kTickTimerId, 0);
    }
}

void TestWindow::show() {
    ShowWindow(handle, SW_SHOWNORMAL);
    UpdateWindow(handle);
    pumpMessages();
}

HWND control(const TestWindow& t, int id) { return GetDlgItem(t.handle, id); }

std::string textOf(const TestWindow& t, int id) {
    const HWND handle = control(t, id);
    std::vector<wchar_t> text(1024, L'\0');
    wchar_t className[32] = {};
    GetClassNameW(handle, className, 32);
    if (lstrcmpiW(className, L"COMBOBOX") == 0) {
        const LRESULT index = SendMessageW(handle, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR || SendMessageW(handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 1024) return {};
        SendMessageW(handle, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    } else {
        GetWindowTextW(handle, text.data(), static_cast<int>(text.size()));
    }
    std::string utf8 = utf16ToUtf8(text.data());
    std::erase(utf8, '\r');
    return utf8;
}

std::string messageLine(const TestWindow& t, int statusId) {
    const std::string text = textOf(t, statusId);
    const auto newline = text.find('\n');
    return newline == std::string::npos ? std::string() : text.substr(newline + 1);
}

void typeText(const TestWindow& t, int id, const std::string& text) {
    SendMessageW(control(t, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8ToUtf16(text).c_str()));
}

void click(const TestWindow& t, int id) { SendMessageW(control(t, id), BM_CLICK, 0, 0); }

void sendCommand(const TestWindow& t, int id, int notification) {
    SendMessageW(t.handle, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control(t, id)));
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::string levelCell(const TestWindow& t, int row, int column) {
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(control(t, kDmxLevelTable), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return utf16ToUtf8(text);
}

RECT clientRectOf(const TestWindow& t, int id) {
    RECT rect{};
    GetWindowRect(control(t, id), &rect);
    MapWindowPoints(nullptr, t.handle, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

ClientPicture grabClient(const TestWindow& t) {
    RedrawWindow(t.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpMessages();
    RECT client{};
    GetClientRect(t.handle, &client);
    ClientPicture picture;
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
    const HDC windowDc = GetDC(t.handle);
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
    ReleaseDC(t.handle, windowDc);
    return picture;
}
