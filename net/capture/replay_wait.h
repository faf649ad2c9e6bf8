#pragma once
// The wait for each send time of a replay (replay_wait_posix.cpp, replay_wait_win32.cpp).
#include <atomic>
#include <cstdint>

// Returns at deadlineUs on the clock of monotonicMicroseconds, or soon after stop is set.
// The wait is absolute: a late wake-up never shifts the send times that follow.
void sleepUntilMonotonicUs(uint64_t deadlineUs, const std::atomic<bool>& stop);
