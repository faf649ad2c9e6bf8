#pragma once
// The one wait of the --source loop: until a deadline on the clock of monotonicMicroseconds
// (core/clock.h), cut short when a stop is asked for. Linux sleeps to the absolute time
// (clock_nanosleep), which a stop signal interrupts; Windows sleeps in steps on its 1 ms timer.
#include <atomic>
#include <cstdint>

void waitUntilMicroseconds(uint64_t deadlineUs, const std::atomic<bool>& stop);
