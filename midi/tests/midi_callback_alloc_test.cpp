// The input callback path must not allocate: every operator new in this binary is
// counted while the calling thread is inside a counted section.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "fake_midi_view.h"
#include "midi/midi_engine.h"

namespace {
thread_local bool counting = false;
std::atomic<size_t> allocations{0};
int* volatile keepAlive = nullptr;  // stops the compiler from removing the control allocation
}  // namespace

// The replacement pair below is malloc/free on both sides; GCC cannot see that.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    if (counting) allocations.fetch_add(1);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct CountedSection {
    CountedSection() {
        allocations = 0;
        counting = true;
    }
    ~CountedSection() { counting = false; }
};

void wakeNothing(void*) {}

TEST(MidiCallbackAllocation, CounterSeesAnAllocation) {
    size_t seen = 0;
    {
        CountedSection section;
        std::vector<int> grown(100);
        keepAlive = grown.data();
        seen = allocations.load();
    }
    EXPECT_GE(seen, 1u);
}

TEST(MidiCallbackAllocation, ReceivePathAllocatesNothingOnAnyBranch) {
    FakeMidiWindow window;
    MidiEngine engine;
    engine.view = makeFakeMidiView(window);
    setMidiInputWakeUp(engine, wakeNothing, nullptr);
    const unsigned char noteOn[3] = {0x90, 0x3C, 0x7F};
    const unsigned char clock[1] = {0xF8};
    size_t counted = 0;
    {
        CountedSection section;
        for (uint32_t i = 0; i < 1000; ++i) {  // queued, then full: the drop path too
            MidiShortMessage word = 0;
            packMidiBytes(i % 2 ? noteOn : clock, i % 2 ? 3 : 1, word);
            onMidiInputFromService(&engine, word, i);
        }
        counted = allocations.load();
    }
    EXPECT_EQ(counted, 0u);
    EXPECT_EQ(engine.inFlight.load(), 500);  // 500 monitored, all queued
    for (uint32_t i = 0; i < 100; ++i) onMidiInput(engine, 0x7F3C90, i);
    EXPECT_EQ(engine.dropped.load(), 88u);
}

}  // namespace
