#include "win32_main_window.h"

#include <commctrl.h>

#include "win32_window.h"

int runMainWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state) {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&commonControls);
    registerMainWindowClass(instance);
    std::unique_ptr<Win32MainWindow> window = createMainWindow(instance, state);
    // Without a window the loop would wait for ever.
    if (!window) return 1;
    ShowWindow(window->window, showCommand);
    UpdateWindow(window->window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window.reset();  // the font and the brush go with it
    return 0;
}

int runMainWindow(HINSTANCE instance, int showCommand) {
    DmxUniverseState state;
    generateCid(state);
    return runMainWindow(instance, showCommand, state);
}
