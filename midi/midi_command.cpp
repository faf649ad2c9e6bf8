#include "midi_control_ids.h"
#include "midi_engine.h"

void handleMidiCommand(MidiEngine& engine, int id, uint64_t now) {
    switch (id) {
        case kMidiStartRxButton: toggleMidiInput(engine); break;
        case kMidiSendButton:
        case kMidiNoteOffButton:
        case kMidiAllNotesOffButton: midiButton(engine, id, now); break;
        case kMidiCloseButton:
            closeMidiPorts(engine);
            engine.notice.clear();
            break;
        case kMidiRefreshButton: refreshMidiPorts(engine); break;
        default: break;
    }
}
