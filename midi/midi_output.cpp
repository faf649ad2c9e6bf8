#include "midi_control_ids.h"
#include "midi_engine.h"

namespace {

void updateHeldNotes(MidiEngine& engine, MidiShortMessage word) {
    const uint32_t type = word & 0xF0;
    const bool velocityZero = ((word >> 16) & 0x7F) == 0;
    if (type == kMidiNoteOn && !velocityZero) {
        engine.heldNotes.insert(heldNoteKey(word));
    } else if (type == kMidiNoteOff || type == kMidiNoteOn) {
        engine.heldNotes.erase(heldNoteKey(word));
    }
}

}  // namespace

bool sendMidi(MidiEngine& engine, MidiShortMessage word) {
    if (engine.outputPort == nullptr) {
        const int selected = engine.view.selectedItemValue(kMidiOutputPortSelector);
        if (selected < 0) {
            engine.notice = "Select a MIDI output port.";
            return false;
        }
        MidiOutputPort* port = nullptr;
        const std::string listedName = listedPortName(engine.listedOutputs, selected);
        if (const uint32_t result = openMidiOutput(static_cast<uint32_t>(selected), listedName, &port)) {
            engine.notice = "MIDI output unavailable: " + std::to_string(result);
            return false;
        }
        engine.outputPort = port;
    }
    if (const uint32_t result = sendMidiShortMessage(engine.outputPort, word)) {
        engine.notice = "MIDI send failed: " + std::to_string(result);
        return false;
    }
    ++engine.sentCount;
    updateHeldNotes(engine, word);
    engine.notice.clear();
    return true;
}

void midiButton(MidiEngine& engine, int id, const MidiClock& clock) {
    const int channel = engine.view.fieldInteger(kMidiChannelField, 0);
    const int number = engine.view.fieldInteger(kMidiNumberField, -1);
    const int value = engine.view.fieldInteger(kMidiValueField, -1);
    const int pulse = engine.view.fieldInteger(kMidiPulseField, 200);
    if (!areMidiSendFieldsInRange(channel, number, value, pulse)) {
        engine.notice = "Use channel 1–16, number/value 0–127 and pulse 0–60000 ms.";
        return;
    }
    if (engine.pulseDeadline != 0) {
        engine.notice = "Wait for the current MIDI pulse to finish.";
        return;
    }
    const auto ch = static_cast<uint32_t>(channel);
    const auto nr = static_cast<uint32_t>(number);
    if (id == kMidiNoteOffButton) {
        sendMidi(engine, packMidiMessage(kMidiNoteOff, ch, nr, 0));
        return;
    }
    if (id == kMidiAllNotesOffButton) {
        sendMidi(engine, packMidiMessage(kMidiControlChange, ch, 123, 0));
        return;
    }
    if (id != kMidiSendButton) return;
    const int type = engine.view.selectedItemValue(kMidiTypeSelector);
    if (type != 0 && type != 1) {
        sendMidi(engine, packMidiMessage(kMidiProgramChange, ch, nr, 0));
        return;
    }
    const uint32_t status = type == 0 ? kMidiNoteOn : kMidiControlChange;
    if (sendMidi(engine, packMidiMessage(status, ch, nr, static_cast<uint32_t>(value))) && pulse > 0) {
        engine.pendingRelease = packMidiMessage(type == 0 ? kMidiNoteOff : kMidiControlChange, ch, nr, 0);
        engine.pulseDeadline = clock() + static_cast<uint64_t>(pulse);  // opening the port took time too
    }
}

void endMidiPulse(MidiEngine& engine, uint64_t now) {
    if (engine.pulseDeadline == 0 || !(engine.pulseDeadline - 1 < now)) return;
    engine.pulseDeadline = 0;
    sendMidi(engine, engine.pendingRelease);
}
