#pragma once
// SIGINT and SIGTERM (on Windows: Ctrl+C, Ctrl+Break, closing the console) ask a run to stop
// in order instead of killing it: a scan writes its last document, a recording completes its
// file, a replay stops sending.
#include <atomic>

#include "../net/socket/socket_layer.h"

// Installs the handlers (without SA_RESTART, so a waiting poll returns); false when the
// handlers or the wake handle could not be set up. restoreStopSignals puts the previous
// handlers back.
bool watchStopSignals();
void restoreStopSignals();
bool stopRequested();
// The same request as a flag, for engines that check it between steps.
const std::atomic<bool>& stopFlag();
// Becomes readable once a stop is asked for, to wait on beside the sockets; kInvalidSocket
// where the platform has none, and the caller then waits in steps of kStopCheckMs.
SocketHandle stopWakeHandle();
constexpr int kStopCheckMs = 100;
// The signal that asked for the stop, 0 while none did; on Windows SIGINT for any console
// event.
int caughtStopSignal();
// Ends the process by the caught signal, with its default action (on Windows the exit code
// STATUS_CONTROL_C_EXIT, as a console event ends a program that does not handle it).
void raiseCaughtStopSignal();
