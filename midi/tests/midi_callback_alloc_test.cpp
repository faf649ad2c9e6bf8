// The input callback path must not allocate: every operator new in this binary is
// counted while the calling thread is inside a counted section.
#include <gtest/gtest.h>

#include <vector>

#include "core/tests/allocation_counter.h"
#include "fake_midi_view.h"
#include "midi/midi_engine.h"

namespace {

int* volatile keepAlive = nullptr;  // stops the compiler from removing the control allocation

void wakeNothing(void*) {}

TEST(MidiCallbackAllocation, CounterSeesAnAllocation) {
    size_t seen = 0;
    {
        CountedSection section;
        std::vector<int> grown(100);
        keepAlive = grown.data();
        seen = countedAllocations();
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
        counted = countedAllocations();
    }
    EXPECT_EQ(counted, 0u);
    EXPECT_EQ(engine.inFlight.load(), 500);  // 500 monitored, all queued
    for (uint32_t i = 0; i < 100; ++i) onMidiInput(engine, 0x7F3C90, i);
    EXPECT_EQ(engine.dropped.load(), 88u);
}

}  // namespace
