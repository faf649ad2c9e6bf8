#include "screen_grab_win32.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>

#include "net/socket/socket_layer.h"

Win32Libraries::Win32Libraries() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr);
    startSocketLibrary();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

Win32Libraries::~Win32Libraries() {
    stopSocketLibrary();
    Gdiplus::GdiplusShutdown(gdiplusToken_);
}

void showAtTopLeft(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOWNORMAL);
}

void waitForScreenGrab(HWND window, const wchar_t* readyFile, const wchar_t* doneFile, DWORD readyAfterMs,
                       const std::function<void()>& eachTurn) {
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const DWORD start = GetTickCount();
    bool reported = false;
    while (GetTickCount() - start < 60000) {
        if (eachTurn) eachTurn();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (!reported && GetTickCount() - start > readyAfterMs) {
            if (FILE* ready = _wfopen(readyFile, L"w")) {
                std::fprintf(ready, "%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
                std::fclose(ready);
            }
            reported = true;
        }
        if (reported && GetFileAttributesW(doneFile) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(2);
    }
}
