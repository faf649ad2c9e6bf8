#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "stop_signals.h"

namespace {

// The self-pipe: the handler may only write to it; the wait set reads it.
int wakePipe[2] = {-1, -1};
volatile sig_atomic_t stopAsked = 0;

void onStopSignal(int) {
    const int savedErrno = errno;
    stopAsked = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);  // a full pipe is readable already
    errno = savedErrno;
}

}  // namespace

bool watchStopSignals() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

bool stopRequested() { return stopAsked != 0; }

SocketHandle stopWakeHandle() { return wakePipe[0] < 0 ? kInvalidSocket : SocketHandle{wakePipe[0]}; }
