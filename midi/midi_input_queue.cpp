#include "midi_input_queue.h"

bool pushMidiInput(MidiInputQueue& queue, uint32_t word, uint32_t timestampMs) {
    const uint64_t head = queue.head.load(std::memory_order_relaxed);
    if (head - queue.tail.load(std::memory_order_acquire) >= kMidiInputQueueSlots) return false;
    queue.slots[head % kMidiInputQueueSlots] = {word, timestampMs};
    // seq_cst pairs with the wake-up flag: see drainMidiInput.
    queue.head.store(head + 1, std::memory_order_seq_cst);
    return true;
}

bool popMidiInput(MidiInputQueue& queue, uint32_t& word, uint32_t& timestampMs) {
    const uint64_t tail = queue.tail.load(std::memory_order_relaxed);
    if (tail == queue.head.load(std::memory_order_acquire)) return false;
    const MidiInputQueue::Slot slot = queue.slots[tail % kMidiInputQueueSlots];
    queue.tail.store(tail + 1, std::memory_order_release);
    word = slot.word;
    timestampMs = slot.timestampMs;
    return true;
}

uint64_t pendingMidiInput(const MidiInputQueue& queue) {
    return queue.head.load(std::memory_order_seq_cst) - queue.tail.load(std::memory_order_relaxed);
}
