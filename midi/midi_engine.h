#pragma once
// The window's MIDI state and the operations on it. Everything runs on the
// user-interface thread except onMidiInput, which the MIDI service calls on its own
// thread and which touches only the atomics and the input queue.
#include <atomic>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "midi_input_queue.h"
#include "midi_message.h"
#include "midi_service.h"
#include "midi_view.h"

inline constexpr int32_t kMidiInFlightLimit = 512;
inline constexpr int kMidiListCapacity = 500;
inline constexpr uint64_t kMidiStatusIntervalMs = 199;  // rewrite when more than this has passed

// The monotonic millisecond tick count, read when an operation needs the time.
using MidiClock = std::function<uint64_t()>;

// Called on the MIDI thread when the input queue goes from idle to holding messages.
using MidiWakeUp = void (*)(void* context);

struct MidiEngine {
    MidiView view;
    MidiInputPort* inputPort = nullptr;
    MidiOutputPort* outputPort = nullptr;
    // The ports as the selectors list them, by index: a port is opened under the name it
    // was listed with, whatever came or went since.
    MidiPortNames listedInputs;
    MidiPortNames listedOutputs;
    std::string notice;                 // the MIDI notice: last failure or hint, one line
    std::set<uint16_t> heldNotes;       // by heldNoteKey (midi_message.h)
    MidiShortMessage pendingRelease = 0;
    uint64_t pulseDeadline = 0;         // 0 = no pulse running
    std::atomic<int32_t> inFlight{0};   // handed to the window, not yet shown
    std::atomic<uint64_t> dropped{0};
    uint64_t receivedCount = 0;
    uint64_t sentCount = 0;
    uint64_t lastStatusRefresh = 0;

    MidiInputQueue inputQueue;
    std::atomic<bool> wakePending{false};
    std::atomic<MidiWakeUp> wakeUp{nullptr};
    std::atomic<void*> wakeContext{nullptr};
};

// Ports (midi_ports.cpp)
void refreshMidiPorts(MidiEngine& engine);
void closeMidiPorts(MidiEngine& engine);
// The name a selector entry's value was listed with; empty when it is not known.
std::string listedPortName(const MidiPortNames& listed, int index);

// Input (midi_input.cpp)
void toggleMidiInput(MidiEngine& engine);
void onMidiInput(MidiEngine& engine, MidiShortMessage word, uint32_t timestampMs);
void showMidiInput(MidiEngine& engine, MidiShortMessage word, uint32_t timestampMs);
void refreshMidiStatus(MidiEngine& engine, uint64_t now);
// The window installs this before the first toggleMidiInput; it must not block.
void setMidiInputWakeUp(MidiEngine& engine, MidiWakeUp wakeUp, void* context);
// Runs showMidiInput for each message queued when it was called; returns how many.
// The window calls it on every wake-up and on every timer tick.
size_t drainMidiInput(MidiEngine& engine);
// onMidiInput in the shape the MIDI service calls, with the engine as context.
void onMidiInputFromService(void* engine, uint32_t word, uint32_t timestampMs);

// Output (midi_output.cpp)
bool sendMidi(MidiEngine& engine, MidiShortMessage word);
// A pulse's deadline counts from when its message was sent, after the output port was
// opened, so the clock is read then.
void midiButton(MidiEngine& engine, int id, const MidiClock& clock);
void endMidiPulse(MidiEngine& engine, uint64_t now);

// The window's command routing for the MIDI page, ids 203..217 (clicks only).
void handleMidiCommand(MidiEngine& engine, int id, const MidiClock& clock);
