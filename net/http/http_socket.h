#pragma once
// The HTTP server's socket calls that differ by platform (http_socket_posix.cpp,
// http_socket_win32.cpp). The sockets are the library's, passed as SocketHandle.
#include <functional>
#include <string>
#include <thread>

#include "../socket/socket_layer.h"

// Readable once raised, and from then on: every wait on it ends. A pipe on POSIX; on
// Windows, whose socket wait takes sockets only, a UDP socket on loopback sent to itself.
struct HttpStopSignal {
    SocketHandle readEnd = kInvalidSocket;
    SocketHandle writeEnd = kInvalidSocket;
};
bool openHttpStopSignal(HttpStopSignal& stop);
void raiseHttpStopSignal(const HttpStopSignal& stop);
void closeHttpStopSignal(HttpStopSignal& stop);

enum class HttpWait { Ready, TimedOut, Stopped };
// Waits up to timeoutMs until the socket can be read (or written, forWriting), or the stop
// signal rises. A hang-up or an error counts as ready: the next call on the socket says it.
// TimedOut also when a signal cut the wait short.
HttpWait waitForHttpSocket(SocketHandle socket, bool forWriting, const HttpStopSignal& stop, int timeoutMs);

// What a call that does not wait got: bytes (0: the peer closed its side, for a receive;
// no room yet, for a send), or one of these.
inline constexpr long kHttpNothingYet = -1;  // receive only: nothing there yet, or interrupted
inline constexpr long kHttpSocketFailed = -2;
long receiveWithoutWaiting(SocketHandle socket, char* buffer, std::size_t size);
long sendWithoutWaiting(SocketHandle socket, const char* bytes, std::size_t size);

void shutdownHttpSocket(SocketHandle socket, bool sendingOnly);
void closeHttpSocket(SocketHandle socket);

// The address and port at this end (local) or the other one, as the library reports them.
void httpSocketAddress(SocketHandle socket, bool local, std::string& ip, int& port);

// A listening socket that a second server cannot share: its bind fails instead.
void refuseSharingTheAddress(SocketHandle socket);

// The server's threads run below the priority of the thread that started them, so that
// rendering and compressing pages never delays the work that feeds them on a busy machine.
void lowerThisThreadsPriority();

// Starts a thread that takes no process signals (on POSIX; Windows has none to take), nor do
// the threads it starts: those stay with the caller's threads. False when it did not start.
bool startThreadWithoutSignals(std::thread& thread, std::function<void()> body);
