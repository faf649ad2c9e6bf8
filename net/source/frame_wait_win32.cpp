#include <windows.h>

#include "../../core/clock.h"
#include "frame_wait.h"

namespace {

constexpr uint64_t kLongestStepUs = 100000;  // how soon a stop is noticed

}  // namespace

// Sleep() ends on a 1 ms tick at the earliest, so the last millisecond is yielded away
// instead of slept through.
void waitUntilMicroseconds(uint64_t deadlineUs, const std::atomic<bool>& stop) {
    for (uint64_t now = monotonicMicroseconds(); now < deadlineUs && !stop; now = monotonicMicroseconds()) {
        const uint64_t left = deadlineUs - now;
        if (left < 2000) {
            SwitchToThread();
        } else {
            Sleep(static_cast<DWORD>((left < kLongestStepUs ? left : kLongestStepUs) / 1000 - 1));
        }
    }
}
