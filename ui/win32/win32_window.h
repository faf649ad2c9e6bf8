#pragma once
// The Win32 front end of the main window: the controls made from the control table,
// the 10 ms timer and the MIDI wake-up around the shared engines
// (ui/window_procedure.h). The window procedure (win32_window_procedure.cpp) forwards
// every message here or to the shared routing; tests drive the real window through
// its messages.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "../../core/dmx_universe_state.h"
#include "../level_cells.h"
#include "../window_layout.h"
#include "../window_procedure.h"
#include "win32_window_frame.h"

struct Win32WindowOptions {
    bool startTimer = true;           // tests send WM_TIMER themselves
    std::function<uint64_t()> clock;  // empty: tickCountMs
};

struct Win32MainWindow : Win32WindowFrame {
    explicit Win32MainWindow(DmxUniverseState& universe) : engines(universe) {}
    ~Win32MainWindow();  // closes a window still open; the frame then deletes the font and brush

    WindowEngines engines;
    HWND levelTable = nullptr;
    HWND messageList = nullptr;
    std::vector<HWND> controls;  // every control, in table order
    std::unordered_map<int, HWND> byId;
    std::vector<HWND> dmxPage;
    std::vector<HWND> midiPage;
    LevelCells levelCells;  // what the level table shows
    bool levelTableHeld = false;  // its drawing is held while the engines rewrite cells
};

// The window class "VelmoraLumibox" with the window procedure; the icon is resource 1 of
// the program when it has one. Registering twice is harmless.
void registerMainWindowClass(HINSTANCE instance);

// Creates the main window, not shown yet, at the outer size 1000 x 870 scaled to the
// system's DPI and held within the work area of its monitor; its controls, views, port
// selectors, DMX page and timer are made while it is created. nullptr when the window
// cannot be created.
std::unique_ptr<Win32MainWindow> createMainWindow(HINSTANCE instance, DmxUniverseState& state,
                                                  Win32WindowOptions options = {});

// The window procedure of the class (win32_window_procedure.cpp).
LRESULT CALLBACK mainWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

// The record of a main window, nullptr for any other window.
Win32MainWindow* mainWindowOf(HWND window);

// WM_CREATE: the fonts, brush, every control of the table in table order, the level
// table's columns and rows, both views, the port selectors, the DMX page and the timer.
void buildMainWindow(Win32MainWindow& window, HWND handle);

// Shows one page list, hides the other, and repaints the client area.
void showPage(Win32MainWindow& window, ControlPage page);

// The resize rule for a new client size (WM_SIZE), at the window's DPI.
void layoutControls(Win32MainWindow& window, uint16_t clientWidth, uint16_t clientHeight);

// WM_DPICHANGED: the window moved to the rectangle Windows suggests, then the font and
// every control's place and size for the new DPI.
void applyDpi(Win32MainWindow& window, int dpi, const RECT& suggested);

// WM_CLOSE: the engines stop in their order, then the window is destroyed.
void closeMainWindow(Win32MainWindow& window);

// nullptr when no control has the id.
HWND controlById(const Win32MainWindow& window, int id);

// One control of a table row as a child of parent, in font; any window made from a
// control table creates its labels, fields and buttons with it.
HWND createControl(HWND parent, HFONT font, const ControlDefinition& control, int dpi = kDefaultDpi);

// A report list of either window in the table colours, full-row selection and grid lines,
// its header drawn by the window; and one column of it, width in device pixels.
void setUpReportList(HWND list);
void insertListColumn(HWND list, int index, const char* title, int width);
