#pragma once
// Hand-over of received messages from the MIDI service's thread to the user-interface
// thread: a fixed ring of 512 slots, one producer and one consumer, no allocation and no
// lock. The in-flight count in MidiEngine bounds what is queued, so the ring never
// overflows when both sides keep that count; push still refuses a full ring.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kMidiInputQueueSlots = 512;

struct MidiInputQueue {
    struct Slot {
        uint32_t word = 0;
        uint32_t timestampMs = 0;
    };
    std::array<Slot, kMidiInputQueueSlots> slots{};
    std::atomic<uint64_t> head{0};  // next slot to write; only the producer stores it
    std::atomic<uint64_t> tail{0};  // next slot to read; only the consumer stores it
};

// Producer side (the MIDI thread). False when the ring is full.
bool pushMidiInput(MidiInputQueue& queue, uint32_t word, uint32_t timestampMs);

// Consumer side (the user-interface thread). False when nothing is queued.
bool popMidiInput(MidiInputQueue& queue, uint32_t& word, uint32_t& timestampMs);

// How many messages wait, as the consumer sees it.
uint64_t pendingMidiInput(const MidiInputQueue& queue);
