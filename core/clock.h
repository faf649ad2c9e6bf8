#pragma once
// Monotonic milliseconds and a sleep, from the standard library only.
#include <cstdint>

uint64_t tickCountMs();
void sleepMs(uint32_t milliseconds);
