#include "midi_control_ids.h"
#include "midi_engine.h"

void toggleMidiInput(MidiEngine& engine) {
    if (engine.inputPort != nullptr) {
        stopMidiInput(engine.inputPort);
        closeMidiInput(engine.inputPort);
        engine.inputPort = nullptr;
        engine.view.setControlText(kMidiStartRxButton, kMidiStartRxCaption);
        return;
    }
    const int selected = engine.view.selectedItemValue(kMidiInputPortSelector);
    if (selected < 0) {
        engine.notice = "Select a MIDI input port.";
        return;
    }
    MidiInputPort* port = nullptr;
    const uint32_t result = openMidiInput(static_cast<uint32_t>(selected), listedPortName(engine.listedInputs, selected),
                                          onMidiInputFromService, &engine, &port);
    if (result != 0) {
        engine.notice = "MIDI input unavailable: " + std::to_string(result);
        return;
    }
    engine.inputPort = port;
    startMidiInput(port);
    engine.view.setControlText(kMidiStartRxButton, kMidiStopRxCaption);
}

void onMidiInput(MidiEngine& engine, MidiShortMessage word, uint32_t timestampMs) {
    if (!isMonitoredMessage(word)) return;
    if (engine.inFlight.fetch_add(1) >= kMidiInFlightLimit) {
        engine.inFlight.fetch_sub(1);
        engine.dropped.fetch_add(1);
        return;
    }
    if (!pushMidiInput(engine.inputQueue, word, timestampMs)) {
        engine.inFlight.fetch_sub(1);  // lost, like a failed post: not counted as dropped
        return;
    }
    // One wake-up per idle-to-busy change: the drain that answers it takes everything queued.
    if (!engine.wakePending.exchange(true)) {
        if (const MidiWakeUp wakeUp = engine.wakeUp.load()) wakeUp(engine.wakeContext.load());
    }
}

void onMidiInputFromService(void* engine, uint32_t word, uint32_t timestampMs) {
    onMidiInput(*static_cast<MidiEngine*>(engine), word, timestampMs);
}

void showMidiInput(MidiEngine& engine, MidiShortMessage word, uint32_t timestampMs) {
    engine.inFlight.fetch_sub(1);
    ++engine.receivedCount;
    const std::string row = formatMidiRow(word, timestampMs);
    if (engine.view.listRowCount(kMidiMessageList) >= kMidiListCapacity) engine.view.deleteFirstListRow(kMidiMessageList);
    engine.view.appendListRow(kMidiMessageList, row);
    engine.view.scrollListToEnd(kMidiMessageList);
}

void setMidiInputWakeUp(MidiEngine& engine, MidiWakeUp wakeUp, void* context) {
    engine.wakeContext.store(context);
    engine.wakeUp.store(wakeUp);
}

size_t drainMidiInput(MidiEngine& engine) {
    // Cleared before the queue is read (both seq_cst, like the producer's queue store and
    // its exchange), so a message this drain does not see always wakes the window again.
    engine.wakePending.store(false);
    const uint64_t available = pendingMidiInput(engine.inputQueue);
    size_t shown = 0;
    uint32_t word = 0, timestampMs = 0;
    while (shown < available && popMidiInput(engine.inputQueue, word, timestampMs)) {
        showMidiInput(engine, word, timestampMs);
        ++shown;
    }
    return shown;
}

void refreshMidiStatus(MidiEngine& engine, uint64_t now) {
    if (now - engine.lastStatusRefresh <= kMidiStatusIntervalMs) return;
    engine.lastStatusRefresh = now;
    engine.view.setControlText(kMidiStatusText, "MIDI RX " + std::to_string(engine.receivedCount) + " | TX " +
                                                    std::to_string(engine.sentCount) + " | Rejected " +
                                                    std::to_string(engine.dropped.load()) + "\r\n" + engine.notice);
}
