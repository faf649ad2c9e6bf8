#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "stop_signals.h"

namespace {

// The self-pipe: the handler may only write to it; the wait set reads it.
int wakePipe[2] = {-1, -1};
std::atomic<bool> stopAsked{false};
volatile sig_atomic_t caught = 0;
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void onStopSignal(int number) {
    const int savedErrno = errno;
    caught = number;
    stopAsked = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);  // a full pipe is readable already
    errno = savedErrno;
}

}  // namespace

bool watchStopSignals() {
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The handlers first: without a pipe a stop is still noticed, only later.
    const bool handled = sigaction(SIGTERM, &action, &previousTerminate) == 0 && sigaction(SIGINT, &action, &previousInterrupt) == 0;
    return handled && (wakePipe[0] >= 0 || pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) == 0);
}

void restoreStopSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
}

bool stopRequested() { return stopAsked; }

const std::atomic<bool>& stopFlag() { return stopAsked; }

SocketHandle stopWakeHandle() { return wakePipe[0] < 0 ? kInvalidSocket : SocketHandle{wakePipe[0]}; }

int caughtStopSignal() { return caught; }

void raiseCaughtStopSignal() {
    const int number = caught;
    signal(number, SIG_DFL);
    raise(number);
}
