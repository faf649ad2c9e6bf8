#pragma once
// Wakes the user-interface thread when the MIDI thread has queued input. The MIDI
// thread only writes to an eventfd: no allocation, no lock, never a wait, so it is safe
// from a real-time audio callback. The event loop watches the descriptor.
#include <functional>

class QObject;
class QSocketNotifier;

struct MidiWakeSignal {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;  // owned by the parent given at open
};

// onWake runs on the thread of parent's event loop for every batch of raises.
bool openMidiWakeSignal(MidiWakeSignal& signal, QObject& parent, std::function<void()> onWake);
void closeMidiWakeSignal(MidiWakeSignal& signal);

// The MIDI engine's wake-up hook; context is the MidiWakeSignal.
void raiseMidiWakeSignal(void* context);
