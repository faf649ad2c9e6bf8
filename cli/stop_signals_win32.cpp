#include <windows.h>

#include <csignal>

#include "stop_signals.h"

namespace {

std::atomic<bool> stopAsked{false};
HANDLE runEnded = nullptr;  // set by restoreStopSignals

// Closing the console ends the process once this returns (Windows allows 5 s): the run gets
// that long to finish what it holds, such as a recording's last blocks.
constexpr DWORD kConsoleCloseWaitMs = 4500;

// Runs on a thread of its own; returning TRUE keeps the process alive until the run ends.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    stopAsked = true;
    if (event == CTRL_CLOSE_EVENT && runEnded != nullptr) WaitForSingleObject(runEnded, kConsoleCloseWaitMs);
    return TRUE;
}

}  // namespace

bool watchStopSignals() {
    if (runEnded == nullptr) runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

void restoreStopSignals() {
    if (runEnded != nullptr) SetEvent(runEnded);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool stopRequested() { return stopAsked; }

const std::atomic<bool>& stopFlag() { return stopAsked; }

SocketHandle stopWakeHandle() { return kInvalidSocket; }

// A console event stands for SIGINT: it has no number of its own.
int caughtStopSignal() { return stopAsked ? SIGINT : 0; }

// As the default handler ends a program that a console event reaches.
void raiseCaughtStopSignal() { ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT)); }
