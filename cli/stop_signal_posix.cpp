#include <signal.h>

#include "stop_signal.h"

namespace {

std::atomic<bool> stopRequested{false};
volatile sig_atomic_t caught = 0;
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void onStopSignal(int number) {
    caught = number;
    stopRequested = true;
}

}  // namespace

const std::atomic<bool>& catchStopSignals() {
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
    return stopRequested;
}

void restoreStopSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
}

int caughtStopSignal() { return caught; }

void raiseCaughtStopSignal() {
    const int number = caught;
    signal(number, SIG_DFL);
    raise(number);
}
