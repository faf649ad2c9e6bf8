#pragma once
// The MIDI service on Linux: two MIDI systems behind the operations of midi_service.h.
// Each backend file defines one record of these functions (service_alsa.cpp,
// service_jack.cpp); service_linux.cpp picks the backend and dispatches to it. Ports are
// the backend's own records, passed around as void*.
#include <cstdint>
#include <string>

#include "midi_service.h"

struct MidiBackend {
    uint32_t (*listInputs)(MidiPortNames& names);
    uint32_t (*listOutputs)(MidiPortNames& names);
    uint32_t (*openInput)(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                          void** port);
    uint32_t (*startInput)(void* port);
    void (*stopInput)(void* port);
    void (*closeInput)(void* port);
    uint32_t (*openOutput)(uint32_t index, const std::string& listedName, void** port);
    uint32_t (*sendOutput)(void* port, uint32_t word);
    uint32_t (*closeOutput)(void* port);
};

extern const MidiBackend rtMidiAlsaBackend;  // service_alsa.cpp
extern const MidiBackend jackBackend;        // service_jack.cpp
