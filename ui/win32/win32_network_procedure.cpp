// The Network window's procedure: each message goes to the frame both windows share, to
// the shared routing, the layout or the painting; every other message to DefWindowProcW.
#include <windows.h>
#include <commctrl.h>

#include "win32_network_window.h"
#include "win32_painting.h"

LRESULT CALLBACK networkWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    const PixelSize minimum{kNetworkMinimumOuterWidth, kNetworkMinimumOuterHeight};
    if (const auto answer = answerFrameMessage(handle, message, wParam, lParam, minimum)) return *answer;
    Win32NetworkWindow* window = networkWindowOf(handle);
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: buildNetworkWindow(*window, handle); return 0;
        case WM_SIZE: layoutNetworkControls(*window, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_DPICHANGED: applyNetworkDpi(*window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: closeNetworkWindow(*window); return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_BUTTON) paintButton(item);
            else paintNetworkItem(*window, item);
            return TRUE;
        }
        case WM_NOTIFY: return notifyNetworkWindow(*window, *reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND: runNetworkWindowCommand(*window, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_TIMER: runNetworkTick(window->engines); return 0;
        default: return DefWindowProcW(handle, message, wParam, lParam);
    }
}
