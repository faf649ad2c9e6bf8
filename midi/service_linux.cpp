// Which MIDI system serves the program: LUMIBOX_MIDI_API=alsa|jack forces one; otherwise
// the ALSA sequencer when its device exists, and JACK when it does not or cannot be opened.
#include <unistd.h>

#include <cstdlib>
#include <new>
#include <string_view>

#include "service_linux.h"

struct MidiInputPort {
    const MidiBackend* backend;
    void* port;
};

struct MidiOutputPort {
    const MidiBackend* backend;
    void* port;
};

namespace {

enum class ApiChoice { Auto, Alsa, Jack };

ApiChoice forcedApi() {
    const char* forced = std::getenv("LUMIBOX_MIDI_API");
    const std::string_view value = forced ? forced : "";
    if (value == "alsa") return ApiChoice::Alsa;
    if (value == "jack") return ApiChoice::Jack;
    return ApiChoice::Auto;
}

const MidiBackend& preferredBackend() {
    switch (forcedApi()) {
        case ApiChoice::Alsa: return rtMidiAlsaBackend;
        case ApiChoice::Jack: return jackBackend;
        case ApiChoice::Auto: break;
    }
    return access("/dev/snd/seq", R_OK | W_OK) == 0 ? rtMidiAlsaBackend : jackBackend;
}

// Runs call on the preferred backend, and once more on JACK when the ALSA sequencer was
// chosen automatically but could not be reached.
template <typename Call>
uint32_t withBackend(Call&& call) {
    const MidiBackend& first = preferredBackend();
    const uint32_t result = call(first);
    if (result == kMidiErrorNoService && &first == &rtMidiAlsaBackend && forcedApi() == ApiChoice::Auto)
        return call(jackBackend);
    return result;
}

}  // namespace

uint32_t listMidiInputPorts(MidiPortNames& names) {
    return withBackend([&](const MidiBackend& b) { return b.listInputs(names); });
}

uint32_t listMidiOutputPorts(MidiPortNames& names) {
    return withBackend([&](const MidiBackend& b) { return b.listOutputs(names); });
}

uint32_t openMidiInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                       MidiInputPort** port) {
    *port = nullptr;
    if (handler == nullptr) return kMidiErrorInvalid;
    auto* opened = new (std::nothrow) MidiInputPort{nullptr, nullptr};
    if (opened == nullptr) return kMidiErrorNoMemory;
    const uint32_t result = withBackend([&](const MidiBackend& b) {
        opened->backend = &b;
        return b.openInput(index, listedName, handler, context, &opened->port);
    });
    if (result != 0) {
        delete opened;
        return result;
    }
    *port = opened;
    return 0;
}

uint32_t startMidiInput(MidiInputPort* port) {
    return port == nullptr ? kMidiErrorInvalid : port->backend->startInput(port->port);
}

void stopMidiInput(MidiInputPort* port) {
    if (port != nullptr) port->backend->stopInput(port->port);
}

void closeMidiInput(MidiInputPort* port) {
    if (port == nullptr) return;
    port->backend->closeInput(port->port);
    delete port;
}

uint32_t openMidiOutput(uint32_t index, const std::string& listedName, MidiOutputPort** port) {
    *port = nullptr;
    auto* opened = new (std::nothrow) MidiOutputPort{nullptr, nullptr};
    if (opened == nullptr) return kMidiErrorNoMemory;
    const uint32_t result = withBackend([&](const MidiBackend& b) {
        opened->backend = &b;
        return b.openOutput(index, listedName, &opened->port);
    });
    if (result != 0) {
        delete opened;
        return result;
    }
    *port = opened;
    return 0;
}

uint32_t sendMidiShortMessage(MidiOutputPort* port, uint32_t word) {
    return port == nullptr ? kMidiErrorInvalid : port->backend->sendOutput(port->port, word);
}

uint32_t closeMidiOutput(MidiOutputPort* port) {
    if (port == nullptr) return kMidiErrorInvalid;
    const uint32_t result = port->backend->closeOutput(port->port);
    delete port;
    return result;
}
