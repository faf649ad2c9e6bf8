#pragma once
// Monotonic milliseconds and a sleep, from the standard library only.
#include <cstdint>

uint64_t tickCountMs();
void sleepMs(uint32_t milliseconds);

// Monotonic nanoseconds, for time stamps finer than the tick count (MIDI input).
int64_t steadyNanoseconds();
