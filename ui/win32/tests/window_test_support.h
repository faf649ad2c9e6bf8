#pragma once
// The window driver (ui/tests/window_driver.h) on the real Win32 window under wine: GDI+,
// the socket library and the common controls started once for the process, controls
// found the way accessibility tools find them, by id, and input given as the messages
// the system sends.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/tests/window_picture.h"
#include "ui/win32/win32_window.h"

// The Win32 window a driver works on, not shown until a picture needs it.
struct FrontEndWindow {
    explicit FrontEndWindow(std::function<uint64_t()> clock);

    DmxUniverseState state;
    std::unique_ptr<Win32MainWindow> window;
    HWND handle = nullptr;

    HWND control(int id) const { return GetDlgItem(handle, id); }
    void show();
};

#include "ui/tests/front_end_window_driver.h"

using Win32WindowDriver = FrontEndWindowDriver;

// Handles every message waiting for this thread.
void pumpMessages();
// A control's text as a user reads it: line breaks as "\n", a selector's chosen entry.
std::string shownText(HWND control);
// The text of a report list's cell.
std::string listCellText(HWND list, int row, int column);
// A shown window's client area as painted, read back from its device context.
WindowPicture clientPicture(HWND window);
