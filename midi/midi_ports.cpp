#include "midi_control_ids.h"
#include "midi_engine.h"

namespace {

void fillPortSelector(MidiEngine& engine, int selector, const MidiPortNames& names) {
    engine.view.clearSelector(selector);
    engine.view.addSelectorItem(selector, "Select MIDI port …", -1);
    for (size_t index = 0; index < names.size(); ++index) {
        if (!names[index]) continue;  // unreadable port: no entry, so indexes may have gaps
        engine.view.addSelectorItem(selector, std::to_string(index) + " · " + *names[index],
                                    static_cast<int>(index));
    }
    engine.view.selectSelectorIndex(selector, 0);
}

}  // namespace

void refreshMidiPorts(MidiEngine& engine) {
    if (engine.inputPort != nullptr || engine.outputPort != nullptr) {
        engine.notice = "Close MIDI ports first.";
        return;
    }
    listMidiInputPorts(engine.listedInputs);  // on failure the list is empty: only the placeholder entry
    fillPortSelector(engine, kMidiInputPortSelector, engine.listedInputs);
    listMidiOutputPorts(engine.listedOutputs);
    fillPortSelector(engine, kMidiOutputPortSelector, engine.listedOutputs);
}

std::string listedPortName(const MidiPortNames& listed, int index) {
    if (index < 0 || static_cast<size_t>(index) >= listed.size() || !listed[static_cast<size_t>(index)]) return {};
    return *listed[static_cast<size_t>(index)];
}

void closeMidiPorts(MidiEngine& engine) {
    if (engine.inputPort != nullptr) {
        stopMidiInput(engine.inputPort);
        closeMidiInput(engine.inputPort);
        engine.inputPort = nullptr;
    }
    if (engine.outputPort != nullptr) {
        // Leave nothing sounding: the running pulse's release, then every held note off.
        if (engine.pulseDeadline != 0) sendMidiShortMessage(engine.outputPort, engine.pendingRelease);
        for (const uint16_t key : engine.heldNotes) sendMidiShortMessage(engine.outputPort, noteOffForHeldNote(key));
        engine.heldNotes.clear();
        closeMidiOutput(engine.outputPort);
        engine.outputPort = nullptr;
    }
    engine.pulseDeadline = 0;
    engine.view.setControlText(kMidiStartRxButton, kMidiStartRxCaption);
}
