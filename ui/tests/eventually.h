#pragma once
// Waits for what a window shows: takes a step (events, a tick) until the condition holds
// or the time is up; false then.
#include <chrono>
#include <thread>

template <typename Condition, typename Step>
bool eventually(Condition condition, Step step, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
