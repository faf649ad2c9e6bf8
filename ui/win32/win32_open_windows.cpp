#include "win32_open_windows.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

// Counted on the user-interface thread, read by the console's thread too.
std::mutex openMutex;
std::vector<HWND> openWindows;

std::atomic<bool> closing{false};
HANDLE loopEnded = nullptr;  // set by restoreConsoleEvents

// The system gives a handler 5 s after the console is closed.
constexpr DWORD kConsoleCloseWaitMs = 4500;

}  // namespace

void countWindowOpened(HWND window) {
    const std::lock_guard lock(openMutex);
    openWindows.push_back(window);
}

void countWindowDestroyed(HWND window) {
    const std::lock_guard lock(openMutex);
    std::erase(openWindows, window);
    if (openWindows.empty()) PostQuitMessage(0);
}

BOOL WINAPI closeWindowsOnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (closing.exchange(true)) return FALSE;
    {
        const std::lock_guard lock(openMutex);
        for (HWND window : openWindows) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (event == CTRL_CLOSE_EVENT && loopEnded) WaitForSingleObject(loopEnded, kConsoleCloseWaitMs);
    return TRUE;
}

void closeWindowsOnConsoleEvents() {
    if (!loopEnded) loopEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(loopEnded);
    closing = false;
    SetConsoleCtrlHandler(closeWindowsOnConsoleEvent, TRUE);  // no console: never called
}

void restoreConsoleEvents() {
    SetConsoleCtrlHandler(closeWindowsOnConsoleEvent, FALSE);
    SetEvent(loopEnded);
}

int runWindowsUntilClosed(HWND first, int showCommand) {
    ShowWindow(first, showCommand);
    UpdateWindow(first);
    closeWindowsOnConsoleEvents();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    restoreConsoleEvents();
    return 0;
}
