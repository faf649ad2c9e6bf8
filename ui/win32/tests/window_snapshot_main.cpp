// Shows the real window on the display for a screenshot taken from outside
// (tools/window-screenshots.sh): page "dmx" or "midi", then writes the client area's
// place on the screen ("x y width height") to the ready file and waits, with the message
// loop running, until the done file exists (at most a minute).
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "core/utf16_text_win32.h"
#include "net/socket/socket_layer.h"
#include "ui/win32/win32_window.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const std::wstring page = argv[1];
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    startSocketLibrary();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerMainWindowClass(instance);
    DmxUniverseState state;
    uint64_t now = 100000;
    Win32WindowOptions options;
    options.startTimer = false;  // the texts stay as they are at start
    options.clock = [&now] { return now; };
    auto window = createMainWindow(instance, state, options);
    if (!window) return 1;
    SetWindowPos(window->window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window->window, SW_SHOWNORMAL);
    if (page == L"midi") SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(202, 0), 0);
    UpdateWindow(window->window);

    RECT client{};
    GetClientRect(window->window, &client);
    POINT origin{0, 0};
    ClientToScreen(window->window, &origin);
    const DWORD start = GetTickCount();
    bool reported = false;
    while (GetTickCount() - start < 60000) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        // Reported once everything has had time to paint.
        if (!reported && GetTickCount() - start > 1500) {
            if (FILE* ready = _wfopen(argv[2], L"w")) {
                std::fprintf(ready, "%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
                std::fclose(ready);
            }
            reported = true;
        }
        if (reported && GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(20);
    }
    window.reset();
    stopSocketLibrary();
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
