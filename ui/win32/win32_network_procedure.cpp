// The Network window's procedure: each message goes to the shared routing, the layout or
// the painting; every other message to DefWindowProcW.
#include <windows.h>
#include <commctrl.h>

#include "win32_main_window.h"
#include "win32_network_window.h"
#include "win32_painting.h"

LRESULT CALLBACK networkWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize.x = kNetworkMinimumOuterWidth;
        limits.ptMinTrackSize.y = kNetworkMinimumOuterHeight;
        return 0;
    }
    if (message == WM_CREATE) {
        auto* window = static_cast<Win32NetworkWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        countWindowOpened();
        buildNetworkWindow(*window, handle);
        return 0;
    }
    Win32NetworkWindow* window = networkWindowOf(handle);
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
            window->window = nullptr;
            countWindowDestroyed();
            return 0;
        case WM_SIZE: layoutNetworkControls(*window, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_PAINT: paintHeaderBand(handle, window->uiFont, kDefaultDpi); return 0;
        case WM_CLOSE: closeNetworkWindow(*window); return 0;
        case WM_ERASEBKGND: fillBackground(handle, reinterpret_cast<HDC>(wParam), window->backgroundBrush); return 1;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_BUTTON) paintButton(item);
            else paintNetworkItem(*window, item);
            return TRUE;
        }
        case WM_NOTIFY: return notifyNetworkWindow(*window, *reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND: runNetworkWindowCommand(*window, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_TIMER: runNetworkTick(window->engines); return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(controlColours(reinterpret_cast<HDC>(wParam), window->backgroundBrush));
        default: return DefWindowProcW(handle, message, wParam, lParam);
    }
}

int runNetworkWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state) {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&commonControls);
    registerNetworkWindowClass(instance);
    std::unique_ptr<Win32NetworkWindow> window = createNetworkWindow(instance, state);
    if (!window) return 1;
    ShowWindow(window->window, showCommand);
    UpdateWindow(window->window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window.reset();
    return 0;
}
