#pragma once
// What every window of the program has around its own controls: the record of its
// window, DPI, font, brush and drawn icons; its class; its first size, scaled to the DPI
// and held within the work area; the messages each answers alike (minimum size, creation
// and destruction, background, header band, control colours); and the move to another
// DPI. Each window's own procedure asks answerFrameMessage first.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "../window_layout.h"

inline constexpr UINT_PTR kTickTimerId = 1;

struct Win32WindowFrame {
    Win32WindowFrame() = default;
    Win32WindowFrame(const Win32WindowFrame&) = delete;
    Win32WindowFrame& operator=(const Win32WindowFrame&) = delete;
    ~Win32WindowFrame();  // the font, brush and icons; the window is closed before

    HWND window = nullptr;
    int dpi = kDefaultDpi;  // of the monitor the window is on; sizes are scaled by dpi / 96
    HFONT uiFont = nullptr;  // at the window's DPI
    HBRUSH backgroundBrush = nullptr;
    HICON drawnIcons[2] = {};  // big and small, when the program has no icon resource
    bool timerWanted = true;  // tests send WM_TIMER themselves
};

// A window class with the procedure; the icon is resource 1 of the program when it has
// one. Registering twice is harmless.
void registerWindowClass(HINSTANCE instance, const std::wstring& className, WNDPROC procedure);

// Creates a window of the class for frame, not shown yet, at the outer size outerAt gives
// for the system's DPI, no larger than the work area of the primary monitor and moved
// into the work area of its own. nullptr when it cannot be created.
HWND createFramedWindow(HINSTANCE instance, const std::wstring& className, const std::string& title,
                        PixelSize (*outerAt)(int dpi), Win32WindowFrame& frame);

// The record of a window made by createFramedWindow while it exists, nullptr for any other;
// the second form only for a window of the class.
Win32WindowFrame* frameOf(HWND window);
Win32WindowFrame* frameOf(HWND window, const std::wstring& className);

// The messages every window answers alike; nothing for the others. WM_CREATE attaches the
// record and counts the window in, then is left to the window's own procedure to build;
// WM_GETMINMAXINFO holds minimumOuter (at 96 DPI) scaled to the window's DPI and no larger
// than its monitor's work area.
std::optional<LRESULT> answerFrameMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                                          PixelSize minimumOuter);

// At the start of WM_CREATE: the font at the window's DPI and the background brush.
void startFrame(Win32WindowFrame& frame);
// At its end: the drawn icons unless the class has the program's, the tick timer, the
// dark title bar.
void finishFrame(Win32WindowFrame& frame, UINT tickPeriodMs);

// WM_DPICHANGED: the font made anew at dpi, the window moved to the rectangle Windows
// suggests, then relay puts every control in its font, place and size for the new DPI
// (previousDpi is the one they had); the old font goes after it.
void changeFrameDpi(Win32WindowFrame& frame, int dpi, const RECT& suggested,
                    const std::function<void(int previousDpi)>& relay);
