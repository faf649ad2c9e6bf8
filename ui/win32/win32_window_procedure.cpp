// The main window's one window procedure: each message goes to the shared routing, to
// the layout or to the painting; every other message to DefWindowProcW.
#include "../window_layout.h"
#include "win32_midi_wake.h"
#include "win32_painting.h"
#include "win32_views.h"
#include "win32_window.h"

namespace {

void runCommand(Win32MainWindow& window, WPARAM wParam) {
    const ControlPage page = runWindowCommand(window.engines, LOWORD(wParam), HIWORD(wParam));
    releaseLevelTableDrawing(window);
    if (page != ControlPage::None) showPage(window, page);
}

void paintItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType == ODT_COMBOBOX) paintSelectorItem(item);
    else paintButton(item);
}

void runTick(Win32MainWindow& window) {
    runWindowTick(window.engines);
    releaseLevelTableDrawing(window);
}

}  // namespace

LRESULT CALLBACK mainWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        // Arrives before WM_CREATE too; the limits need no window state.
        limitTrackingSize(handle, *reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    }
    if (message == WM_CREATE) {
        auto* window = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        countWindowOpened();
        buildMainWindow(*window, handle);
        return 0;
    }
    Win32MainWindow* window = mainWindowOf(handle);
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
            window->window = nullptr;
            countWindowDestroyed();
            return 0;
        case WM_SIZE: layoutControls(*window, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_PAINT: paintHeaderBand(handle, window->uiFont, window->dpi); return 0;
        case WM_DPICHANGED: applyDpi(*window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: closeMainWindow(*window); return 0;
        case WM_ERASEBKGND: fillBackground(handle, reinterpret_cast<HDC>(wParam), window->backgroundBrush); return 1;
        case WM_DRAWITEM: paintItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_COMMAND: runCommand(*window, wParam); return 0;
        case WM_TIMER: runTick(*window); return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(controlColours(reinterpret_cast<HDC>(wParam), window->backgroundBrush));
        case kMidiInputMessage: drainMidiInput(window->engines.midi); return 0;
        default: return DefWindowProcW(handle, message, wParam, lParam);
    }
}
