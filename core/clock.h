#pragma once
// Monotonic milliseconds and a sleep, from the standard library only.
#include <chrono>
#include <cstdint>

uint64_t tickCountMs();
void sleepMs(uint32_t milliseconds);

// Monotonic nanoseconds, for time stamps finer than the tick count (MIDI input).
int64_t steadyNanoseconds();

// Microseconds of the standard steady clock, for intervals between datagrams. Defined here,
// so that every platform's clock file shares it.
inline uint64_t monotonicMicroseconds() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
