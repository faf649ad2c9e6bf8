// Shows the real window on the display for a screenshot taken from outside
// (tools/window-screenshots.sh): page "dmx" or "midi" ("dmx-locked": the DMX page with
// the network fields disabled, as while an endpoint is open), until the grab is done.
//   win32_window_snapshot <page> <ready-file> <done-file>
#include <windows.h>

#include <string>

#include "tools/screenshots/screen_grab_win32.h"
#include "ui/win32/win32_window.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const std::wstring page = argv[1];
    const Win32Libraries libraries;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerMainWindowClass(instance);
    DmxUniverseState state;
    Win32WindowOptions options;
    options.startTimer = false;  // the texts stay as they are at start
    options.clock = [] { return uint64_t{100000}; };
    auto window = createMainWindow(instance, state, options);
    if (!window) return 1;
    showAtTopLeft(window->window);
    if (page == L"midi") SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kMidiPageButton, 0), 0);
    if (page == L"dmx-locked") {
        for (int id : {kDmxProtocolSelector, kDmxUniverseField, kDmxLocalIpv4Field, kDmxTargetField}) {
            window->engines.dmxView.enableControl(id, false);
        }
    }
    UpdateWindow(window->window);
    waitForScreenGrab(window->window, argv[2], argv[3], 1500);
    return 0;
}
