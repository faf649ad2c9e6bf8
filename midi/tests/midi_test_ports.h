#pragma once
// Where the service lists one of the peer's ports.
#include <string>

#include "midi/midi_service.h"

// Index of name among the ports the service offers for input (true) or output (false); -1 if absent.
inline int servicePortIndex(bool input, const std::string& name) {
    MidiPortNames names;
    if ((input ? listMidiInputPorts(names) : listMidiOutputPorts(names)) != 0) return -1;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] && *names[i] == name) return static_cast<int>(i);
    return -1;
}
