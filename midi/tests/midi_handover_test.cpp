// The hand-over of received messages from the MIDI thread to the user-interface thread,
// without a MIDI service: onMidiInput is called the way the service's thread calls it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fake_midi_view.h"
#include "midi/midi_engine.h"

namespace {

uint32_t noteOn(uint32_t note) { return packMidiMessage(0x90, 1, note & 0x7F, 100); }

struct EngineFixture : ::testing::Test {
    FakeMidiWindow window;
    MidiEngine engine;
    void SetUp() override { engine.view = makeFakeMidiView(window); }
};

using MidiHandOver = EngineFixture;

TEST_F(MidiHandOver, BurstOf600WithNoneHandledShows512AndDrops88) {
    for (uint32_t i = 0; i < 600; ++i) onMidiInput(engine, noteOn(i), i);
    EXPECT_EQ(engine.inFlight.load(), 512);
    EXPECT_EQ(engine.dropped.load(), 88u);
    EXPECT_TRUE(window.list.empty());

    EXPECT_EQ(drainMidiInput(engine), 512u);
    EXPECT_EQ(engine.receivedCount, 512u);
    EXPECT_EQ(engine.inFlight.load(), 0);
    // The list keeps the newest 500 of the 512 rows, in arrival order.
    ASSERT_EQ(window.list.size(), 500u);
    EXPECT_EQ(window.list.front(), "12 ms | Note On | Ch 1 | Nr 12 | Value 100");
    EXPECT_EQ(window.list.back(), "511 ms | Note On | Ch 1 | Nr 127 | Value 100");
    EXPECT_EQ(window.scrolls, 512);

    refreshMidiStatus(engine, 1000);
    EXPECT_EQ(window.texts[217], "MIDI RX 512 | TX 0 | Rejected 88\r\n");

    // Once shown, room is free again: the next message is queued, not dropped.
    onMidiInput(engine, noteOn(1), 700);
    EXPECT_EQ(engine.dropped.load(), 88u);
    EXPECT_EQ(drainMidiInput(engine), 1u);
    EXPECT_EQ(engine.receivedCount, 513u);
}

TEST_F(MidiHandOver, SystemAndDataBytesAreNotMonitoredOrCounted) {
    for (const uint32_t word : {0xF8u, 0xFEu, 0xF0u, 0xFFu, 0x3Cu, 0x7F3C00u}) onMidiInput(engine, word, 5);
    EXPECT_EQ(engine.inFlight.load(), 0);
    EXPECT_EQ(engine.dropped.load(), 0u);
    EXPECT_EQ(drainMidiInput(engine), 0u);
    EXPECT_EQ(engine.receivedCount, 0u);
    EXPECT_TRUE(window.list.empty());
}

TEST_F(MidiHandOver, VelocityZeroNoteOnIsListedAsNoteOff) {
    onMidiInput(engine, packMidiMessage(0x90, 3, 64, 0), 42);
    drainMidiInput(engine);
    ASSERT_EQ(window.list.size(), 1u);
    EXPECT_EQ(window.list[0], "42 ms | Note Off (V0) | Ch 3 | Nr 64 | Value 0");
}

void countWake(void* context) { static_cast<std::atomic<int>*>(context)->fetch_add(1); }

TEST_F(MidiHandOver, WakesOncePerIdleToBusyChange) {
    std::atomic<int> perEngine{0};
    setMidiInputWakeUp(engine, countWake, &perEngine);
    for (uint32_t i = 0; i < 10; ++i) onMidiInput(engine, noteOn(i), i);
    EXPECT_EQ(perEngine.load(), 1);
    drainMidiInput(engine);
    onMidiInput(engine, noteOn(1), 11);
    EXPECT_EQ(perEngine.load(), 2);
    // A drain that finds the queue empty still re-arms the wake-up.
    drainMidiInput(engine);
    drainMidiInput(engine);
    onMidiInput(engine, noteOn(2), 12);
    EXPECT_EQ(perEngine.load(), 3);
    // Dropped and unmonitored messages do not wake.
    drainMidiInput(engine);
    onMidiInput(engine, 0xF8, 13);
    EXPECT_EQ(perEngine.load(), 3);
}

struct WakeSignal {
    std::atomic<bool> raised{false};
};
void raiseSignal(void* context) {
    auto* signal = static_cast<WakeSignal*>(context);
    signal->raised.store(true);
    signal->raised.notify_one();
}

// A producer thread delivers messages as fast as it can while the user-interface thread
// shows them only when woken. Nothing may be lost, duplicated or reordered, and every
// message is either shown or dropped.
TEST(MidiHandOverThreads, ProducerAndWakeDrivenConsumerKeepCountsExact) {
    constexpr uint32_t kMessages = 20000;
    FakeMidiWindow window;
    MidiEngine engine;
    engine.view = makeFakeMidiView(window);
    std::vector<uint32_t> shownTimestamps;
    shownTimestamps.reserve(kMessages);
    engine.view.appendListRow = [&](int, const std::string& row) {
        shownTimestamps.push_back(static_cast<uint32_t>(std::stoul(row)));
        window.list.push_back(row);
    };
    WakeSignal signal;
    setMidiInputWakeUp(engine, raiseSignal, &signal);
    std::atomic<bool> producerDone{false};

    std::thread producer([&] {
        for (uint32_t i = 0; i < kMessages; ++i) {
            onMidiInput(engine, noteOn(i), i);
            // Alternate bursts (which overrun the 512 in flight) with paced stretches.
            if ((i / 1000) % 2 == 1 && i % 8 == 0) std::this_thread::yield();
        }
        producerDone.store(true);
        raiseSignal(&signal);
    });
    while (true) {
        signal.raised.wait(false);
        signal.raised.store(false);
        drainMidiInput(engine);
        if (producerDone.load() && pendingMidiInput(engine.inputQueue) == 0) break;
    }
    producer.join();
    drainMidiInput(engine);

    EXPECT_EQ(engine.receivedCount + engine.dropped.load(), kMessages);
    RecordProperty("dropped", std::to_string(engine.dropped.load()));
    EXPECT_EQ(engine.receivedCount, shownTimestamps.size());
    EXPECT_EQ(engine.inFlight.load(), 0);
    EXPECT_LE(window.list.size(), 500u);
    for (size_t i = 1; i < shownTimestamps.size(); ++i)
        ASSERT_LT(shownTimestamps[i - 1], shownTimestamps[i]) << "at row " << i;
}

// The ring on its own, across the wrap-around of its 512 slots.
TEST(MidiInputQueue, KeepsOrderAcrossWrapAndRefusesWhenFull) {
    MidiInputQueue queue;
    uint32_t word = 0, stamp = 0, next = 0;
    for (uint32_t round = 0; round < 5; ++round) {
        for (uint32_t i = 0; i < 300; ++i) ASSERT_TRUE(pushMidiInput(queue, round * 1000 + i, i));
        for (uint32_t i = 0; i < 300; ++i) {
            ASSERT_TRUE(popMidiInput(queue, word, stamp));
            ASSERT_EQ(word, round * 1000 + i);
            ASSERT_EQ(stamp, i);
        }
    }
    EXPECT_FALSE(popMidiInput(queue, word, stamp));
    for (next = 0; next < kMidiInputQueueSlots; ++next) ASSERT_TRUE(pushMidiInput(queue, next, 0));
    EXPECT_FALSE(pushMidiInput(queue, 9999, 0));
    EXPECT_EQ(pendingMidiInput(queue), kMidiInputQueueSlots);
}

}  // namespace
