// The main window's one window procedure: each message goes to the frame both windows
// share, to the shared routing, to the layout or to the painting; every other message to
// DefWindowProcW.
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
    if (const auto answer = answerFrameMessage(handle, message, wParam, lParam, {kMinimumOuterWidth, kMinimumOuterHeight}))
        return *answer;
    Win32MainWindow* window = mainWindowOf(handle);
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    switch (message) {
        case WM_CREATE: buildMainWindow(*window, handle); return 0;
        case WM_SIZE: layoutControls(*window, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_DPICHANGED: applyDpi(*window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_CLOSE: closeMainWindow(*window); return 0;
        case WM_DRAWITEM: paintItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_COMMAND: runCommand(*window, wParam); return 0;
        case WM_TIMER: runTick(*window); return 0;
        case kMidiInputMessage: drainMidiInput(window->engines.midi); return 0;
        default: return DefWindowProcW(handle, message, wParam, lParam);
    }
}
