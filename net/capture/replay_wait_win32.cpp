#include <windows.h>

#include <algorithm>

#include "../../core/clock.h"
#include "replay_wait.h"

namespace {

// Not in every SDK's headers yet; the value is Windows' own.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// A console event does not interrupt a wait: stop is looked at this often.
constexpr uint64_t kStopCheckUs = 100000;

// A high-resolution waitable timer (Windows 10 1803 and later) wakes within a fraction of
// a millisecond; an older system gets an ordinary one, at the timer resolution
// (timeBeginPeriod).
HANDLE makeTimer() {
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    return timer != nullptr ? timer : CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
}

}  // namespace

// Each step's due time is computed again from the clock, so the wait stays absolute.
void sleepUntilMonotonicUs(uint64_t deadlineUs, const std::atomic<bool>& stop) {
    thread_local const HANDLE timer = makeTimer();
    for (uint64_t now = monotonicMicroseconds(); !stop && now < deadlineUs; now = monotonicMicroseconds()) {
        const uint64_t stepUs = std::min(deadlineUs - now, kStopCheckUs);
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(stepUs * 10);  // relative, in 100 ns units
        if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
            Sleep(static_cast<DWORD>((stepUs + 999) / 1000));
        } else {
            WaitForSingleObject(timer, INFINITE);
        }
    }
}
