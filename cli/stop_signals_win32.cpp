#include <windows.h>

#include "stop_signals.h"

namespace {

std::atomic<bool> stopAsked{false};

// Runs on a thread of its own; returning TRUE keeps the process alive until the run ends.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    stopAsked = true;
    return TRUE;
}

}  // namespace

bool watchStopSignals() { return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0; }

void restoreStopSignals() { SetConsoleCtrlHandler(onConsoleEvent, FALSE); }

bool stopRequested() { return stopAsked; }

const std::atomic<bool>& stopFlag() { return stopAsked; }

SocketHandle stopWakeHandle() { return kInvalidSocket; }

int caughtStopSignal() { return 0; }

void raiseCaughtStopSignal() {}
