#include "midi_control_ids.h"
#include "midi_engine.h"

void handleMidiCommand(MidiEngine& engine, int id, const MidiClock& clock) {
    switch (id) {
        case kMidiStartRxButton: toggleMidiInput(engine); break;
        case kMidiSendButton:
        case kMidiNoteOffButton:
        case kMidiAllNotesOffButton: midiButton(engine, id, clock); break;
        case kMidiCloseButton:
            closeMidiPorts(engine);
            engine.notice.clear();
            break;
        case kMidiRefreshButton: refreshMidiPorts(engine); break;
        default: break;
    }
}
