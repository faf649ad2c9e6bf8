#pragma once
// Monotonic milliseconds and a sleep, from the standard library only.
#include <cstdint>

uint64_t tickCountMs();
// The same clock in microseconds, for intervals between datagrams.
uint64_t monotonicMicroseconds();
void sleepMs(uint32_t milliseconds);
