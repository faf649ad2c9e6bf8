#pragma once
// The Win32 front end of the Network window: the controls made from its table, three
// virtual report lists that fetch their texts from the rows last handed over, the grid
// and legend drawn by the window, the 10 ms timer around the shared routing
// (ui/network_procedure.h), and the main window "Monitor this universe" opens in the same
// process. Like the main window, every place, size, column width, grid cell and font is
// the table's times the window's DPI / 96. Tests drive the real window through its
// messages.
#include <windows.h>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "../network_procedure.h"
#include "win32_window.h"

inline constexpr UINT_PTR kNetworkTimerId = kTickTimerId;

struct Win32NetworkWindow : Win32WindowFrame {
    ~Win32NetworkWindow();  // closes a window still open and the main window it opened

    NetworkWindowEngines engines;
    std::vector<HWND> controls;  // every control, in table order
    std::unordered_map<int, HWND> byId;
    std::unordered_map<int, NetworkTableRows> tableRows;  // what each list shows
    NetworkGrid grid;
    HFONT gridFont = nullptr;  // at the window's DPI
    bool selecting = false;  // the window itself moves a list's selection
    HINSTANCE instance = nullptr;
    DmxUniverseState* state = nullptr;
    std::unique_ptr<Win32MainWindow> mainWindow;  // opened by "Monitor this universe"
    long long gridPaints = 0;
};

struct Win32NetworkWindowOptions {
    bool startTimer = true;
    std::function<uint64_t()> clockUs;  // empty: monotonicMicroseconds
};

void registerNetworkWindowClass(HINSTANCE instance);

// Creates the Network window, not shown yet, at its minimum client size scaled to the
// system's DPI and held within the work area of its monitor; nullptr when it cannot be
// created.
std::unique_ptr<Win32NetworkWindow> createNetworkWindow(HINSTANCE instance, DmxUniverseState& state,
                                                        Win32NetworkWindowOptions options = {});

LRESULT CALLBACK networkWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
Win32NetworkWindow* networkWindowOf(HWND window);

// WM_CREATE: fonts, brush, every control of the table, the views, the timer.
void buildNetworkWindow(Win32NetworkWindow& window, HWND handle);
// The resize rule for a client size in device pixels, at the window's DPI.
void layoutNetworkControls(Win32NetworkWindow& window, int clientWidth, int clientHeight);
// WM_DPICHANGED: the fonts, every control and the columns at the new DPI, in the
// rectangle Windows suggests.
void applyNetworkDpi(Win32NetworkWindow& window, int dpi, const RECT& suggested);
// WM_NOTIFY of a list: texts asked for, a selection, a column header click.
LRESULT notifyNetworkWindow(Win32NetworkWindow& window, const NMHDR& header);
// WM_DRAWITEM of the grid or the legend.
void paintNetworkItem(Win32NetworkWindow& window, const DRAWITEMSTRUCT& item);
// WM_COMMAND: the command, then the main window follows the scan onto or off its sockets.
void runNetworkWindowCommand(Win32NetworkWindow& window, int id, int notification);
void closeNetworkWindow(Win32NetworkWindow& window);
HWND networkControlById(const Win32NetworkWindow& window, int id);

// Opens the main window, or brings it forward, and applies the request to it.
void openMonitorWindow(Win32NetworkWindow& window, const MonitorRequest& request);

