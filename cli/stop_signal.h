#pragma once
// SIGINT and SIGTERM as a request to finish: a recording completes its file, a replay
// stops sending. stop_signal_posix.cpp installs the handlers.
#include <atomic>

// Installs the handlers (without SA_RESTART, so a waiting poll returns) and returns the
// flag they set. restoreStopSignals puts the previous handlers back.
const std::atomic<bool>& catchStopSignals();
void restoreStopSignals();
// The signal that set the flag, 0 while none did.
int caughtStopSignal();
// Ends the process by the caught signal, with its default action.
void raiseCaughtStopSignal();
