// Shows the real Network window on the display while it scans, for a screenshot taken
// from outside: writes the client area's place on the screen ("x y width height") to the
// ready file and waits, with the message loop running, until the done file exists (at
// most a minute).
//   win32_network_snapshot <ready-file> <done-file>          a small network over loopback
//   win32_network_snapshot <ready-file> <done-file> <local>  whatever reaches local, after a poll
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "ui/tests/network_traffic.h"
#include "ui/win32/win32_network_window.h"

namespace {

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) return 2;
    const bool live = argc == 4;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    startSocketLibrary();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerNetworkWindowClass(instance);
    DmxUniverseState state;
    auto window = createNetworkWindow(instance, state);
    if (!window) return 1;
    SetWindowPos(window->window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window->window, SW_SHOWNORMAL);
    SetWindowTextW(networkControlById(*window, kNetworkLocalIpv4Field), live ? argv[3] : L"127.0.0.1");
    SetWindowTextW(networkControlById(*window, kNetworkUniversesField), L"1-8");
    SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kNetworkScanButton, BN_CLICKED), 0);
    if (live) SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kNetworkPollButton, BN_CLICKED), 0);

    const SocketHandle sender = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    // The network keeps sending at 44 rounds a second until the picture is taken.
    int round = 0;
    auto sendDue = [&, next = GetTickCount()]() mutable {
        while (GetTickCount() >= next) {
            if (live && round >= 100) return;
            ++round;
            if (!live) network_traffic::sendRound(sender, loopback, static_cast<uint8_t>(round));
            next += 1000 / 44;
        }
    };
    while (round < 100) {
        sendDue();
        pump();
        Sleep(2);
        if (round == 30 && networkWindowOf(window->window)->tableRows[kNetworkSourcesTable].rows.size() > 1) {
            const int row = live ? 0 : 1;  // Desk A
            // As a click on the second row would.
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(networkControlById(*window, kNetworkSourcesTable), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
        }
    }

    RECT client{};
    GetClientRect(window->window, &client);
    POINT origin{0, 0};
    ClientToScreen(window->window, &origin);
    const DWORD start = GetTickCount();
    bool reported = false;
    while (GetTickCount() - start < 60000) {
        sendDue();
        pump();
        if (!reported && GetTickCount() - start > 500) {
            if (FILE* ready = _wfopen(argv[1], L"w")) {
                std::fprintf(ready, "%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
                std::fclose(ready);
            }
            reported = true;
        }
        if (reported && GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(2);
    }
    closeSocket(sender);
    window.reset();
    stopSocketLibrary();
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
