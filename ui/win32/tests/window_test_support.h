#pragma once
// Shared set-up for the Win32 window tests under wine: GDI+, the socket library and the
// common controls started once for the process, a real window driven by a hand-moved
// clock, and controls found the way accessibility tools find them, by id.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/win32_window.h"

struct TestWindow {
    DmxUniverseState state;
    uint64_t now = 100000;  // milliseconds; the window reads only this
    std::unique_ptr<Win32MainWindow> window;
    HWND handle = nullptr;

    TestWindow();
    // One WM_TIMER per tick, each after moving the clock on by the tick period.
    void tick(int count = 1);
    void advanceWithoutTick(uint64_t milliseconds) { now += milliseconds; }
    void show();
};

HWND control(const TestWindow& t, int id);
// The text as a user reads it: GetWindowTextW, or a selector's chosen entry; line
// breaks as "\n".
std::string textOf(const TestWindow& t, int id);
// The second line of a status text (the engine's message), "" when there is none.
std::string messageLine(const TestWindow& t, int statusId);
void typeText(const TestWindow& t, int id, const std::string& text);  // WM_SETTEXT
void click(const TestWindow& t, int id);                              // BM_CLICK
// The command a control sends its parent, with any notification code.
void sendCommand(const TestWindow& t, int id, int notification);
// Handles every message waiting for this thread.
void pumpMessages();
std::string levelCell(const TestWindow& t, int row, int column);
// The control's rectangle in the main window's client coordinates.
RECT clientRectOf(const TestWindow& t, int id);

// The client area as painted, 0xRRGGBB per pixel, read back from the window's device
// context. The window must be shown.
struct ClientPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
ClientPicture grabClient(const TestWindow& t);
