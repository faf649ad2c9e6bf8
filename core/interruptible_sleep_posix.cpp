#include <poll.h>

#include <chrono>

#include "interruption.h"
#include "interruption_posix.h"

bool sleepUnlessInterrupted(uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!interruptionRequested()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return true;
        pollfd wake{interruptionWakeDescriptor(), POLLIN, 0};
        poll(&wake, wake.fd >= 0 ? 1 : 0, static_cast<int>(left));  // EINTR: look again
    }
    return false;
}
