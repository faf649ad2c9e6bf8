#pragma once
// What the Win32 screenshot programs share: the libraries the program's entry starts, the
// window shown at the top left of the screen, and the wait for a grab taken from outside.
#include <windows.h>

#include <functional>

// GDI+, the socket library and the list controls, for as long as it lives.
class Win32Libraries {
public:
    Win32Libraries();
    ~Win32Libraries();
    Win32Libraries(const Win32Libraries&) = delete;
    Win32Libraries& operator=(const Win32Libraries&) = delete;

private:
    ULONG_PTR gdiplusToken_ = 0;
};

void showAtTopLeft(HWND window);

// Runs the message loop (and eachTurn) until the grab is done: once everything has had
// readyAfterMs to paint, writes the client area's place on the screen ("x y width
// height") to the ready file, then waits until the done file exists, at most a minute.
void waitForScreenGrab(HWND window, const wchar_t* readyFile, const wchar_t* doneFile, DWORD readyAfterMs,
                       const std::function<void()>& eachTurn = {});
