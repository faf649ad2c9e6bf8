#include <time.h>

#include <cerrno>

#include "../../core/clock.h"
#include "frame_wait.h"

// The standard library's steady clock is CLOCK_MONOTONIC, so its microseconds name the
// same instant here.
void waitUntilMicroseconds(uint64_t deadlineUs, const std::atomic<bool>& stop) {
    timespec at{};
    at.tv_sec = static_cast<time_t>(deadlineUs / 1000000u);
    at.tv_nsec = static_cast<long>(deadlineUs % 1000000u) * 1000;
    while (!stop && clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}
