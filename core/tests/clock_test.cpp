// The tick count is in milliseconds and never runs backwards, whichever clock the platform
// file reads (the standard steady clock, or GetTickCount64 on Windows).
#include <gtest/gtest.h>

#include <chrono>

#include "core/clock.h"

TEST(Clock, TicksAreMillisecondsAndNeverGoBack) {
    using Steady = std::chrono::steady_clock;
    const uint64_t firstTick = tickCountMs();
    const Steady::time_point firstInstant = Steady::now();
    sleepMs(120);
    const Steady::time_point lastInstant = Steady::now();
    const uint64_t lastTick = tickCountMs();
    const auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(lastInstant - firstInstant).count();
    ASSERT_GE(lastTick, firstTick);
    // The ticks span the steady interval; Windows' tick count moves in steps of about 16 ms.
    EXPECT_GE(lastTick - firstTick + 20, static_cast<uint64_t>(slept));
    EXPECT_GE(slept, 100) << "sleepMs slept far too little";
    // A tick in microseconds or seconds would be far off; loaded machines stay well inside.
    EXPECT_LT(lastTick - firstTick, static_cast<uint64_t>(slept) * 10 + 1000);
}
