#include <time.h>

#include <cerrno>

#include "replay_wait.h"

// The monotonic clock is the one monotonicMicroseconds reads; a stop signal interrupts the
// sleep (EINTR).
void sleepUntilMonotonicUs(uint64_t deadlineUs, const std::atomic<bool>& stop) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadlineUs / 1000000);
    until.tv_nsec = static_cast<long>(deadlineUs % 1000000) * 1000;
    while (!stop && clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}
