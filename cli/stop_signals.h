#pragma once
// SIGINT and SIGTERM (on Windows: Ctrl+C, Ctrl+Break, closing the console) ask a continuous
// command-line run to stop after its last document instead of killing it.
#include "../net/socket/socket_layer.h"

bool watchStopSignals();
bool stopRequested();
// Becomes readable once a stop is asked for, to wait on beside the sockets; kInvalidSocket
// where the platform has none, and the caller then waits in steps of kStopCheckMs.
SocketHandle stopWakeHandle();
constexpr int kStopCheckMs = 100;
