#include "win32_main_window.h"

#include "win32_network_window.h"
#include "win32_open_windows.h"
#include "win32_window.h"

// Without a window the loop would wait for ever. The window's record, with its font and
// brush, goes when the loop is over.
int runMainWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state) {
    registerMainWindowClass(instance);
    const std::unique_ptr<Win32MainWindow> window = createMainWindow(instance, state);
    return window ? runWindowsUntilClosed(window->window, showCommand) : 1;
}

int runMainWindow(HINSTANCE instance, int showCommand) {
    DmxUniverseState state;
    generateCid(state);
    return runMainWindow(instance, showCommand, state);
}

int runNetworkWindow(HINSTANCE instance, int showCommand, DmxUniverseState& state) {
    registerNetworkWindowClass(instance);
    const std::unique_ptr<Win32NetworkWindow> window = createNetworkWindow(instance, state);
    return window ? runWindowsUntilClosed(window->window, showCommand) : 1;
}
