#include "fake_midi_service.h"

#include <algorithm>

#include "midi/midi_message.h"

struct MidiInputPort {
    MidiInputHandler handler = nullptr;
    void* context = nullptr;
    bool started = false;
};

struct MidiOutputPort {
    uint32_t index = 0;
};

namespace {

std::vector<MidiInputPort*>& openInputPorts() {
    static std::vector<MidiInputPort*> ports;
    return ports;
}

uint32_t listPorts(const std::vector<std::optional<std::string>>& ports, MidiPortNames& names) {
    names.clear();
    if (!fakeMidiService().reachable) return kMidiErrorNoService;
    names = ports;
    return 0;
}

// As the contract says: the listed name decides where one was given, so a port that
// is gone, or whose index now names another, is refused.
uint32_t checkOpen(const std::vector<std::optional<std::string>>& ports, uint32_t index, const std::string& listedName,
                   uint32_t refusal) {
    if (!fakeMidiService().reachable) return kMidiErrorNoService;
    if (index >= ports.size()) return kMidiErrorBadPort;
    if (!listedName.empty() && ports[index] != listedName) return kMidiErrorBadPort;
    return refusal;
}

}  // namespace

FakeMidiService& fakeMidiService() {
    static FakeMidiService service;
    return service;
}

void resetFakeMidiService() {
    fakeMidiService() = FakeMidiService{};
    openInputPorts().clear();
}

int deliverFakeMidiInput(uint32_t word, uint32_t timestampMs) {
    int taken = 0;
    for (MidiInputPort* port : openInputPorts()) {
        if (!port->started) continue;
        port->handler(port->context, word, timestampMs);
        ++taken;
    }
    return taken;
}

uint32_t listMidiInputPorts(MidiPortNames& names) { return listPorts(fakeMidiService().inputs, names); }

uint32_t listMidiOutputPorts(MidiPortNames& names) { return listPorts(fakeMidiService().outputs, names); }

uint32_t openMidiInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                       MidiInputPort** port) {
    *port = nullptr;
    if (handler == nullptr) return kMidiErrorInvalid;
    FakeMidiService& service = fakeMidiService();
    if (const uint32_t result = checkOpen(service.inputs, index, listedName, service.openInputResult)) return result;
    *port = new MidiInputPort{handler, context, false};
    openInputPorts().push_back(*port);
    ++service.openInputs;
    return 0;
}

uint32_t startMidiInput(MidiInputPort* port) {
    if (port == nullptr) return kMidiErrorInvalid;
    port->started = true;
    ++fakeMidiService().startedInputs;
    return 0;
}

void stopMidiInput(MidiInputPort* port) {
    if (port != nullptr) port->started = false;
}

void closeMidiInput(MidiInputPort* port) {
    if (port == nullptr) return;
    std::vector<MidiInputPort*>& ports = openInputPorts();
    ports.erase(std::remove(ports.begin(), ports.end(), port), ports.end());
    --fakeMidiService().openInputs;
    delete port;
}

uint32_t openMidiOutput(uint32_t index, const std::string& listedName, MidiOutputPort** port) {
    *port = nullptr;
    FakeMidiService& service = fakeMidiService();
    if (const uint32_t result = checkOpen(service.outputs, index, listedName, service.openOutputResult)) return result;
    *port = new MidiOutputPort{index};
    ++service.openOutputs;
    return 0;
}

uint32_t sendMidiShortMessage(MidiOutputPort* port, uint32_t word) {
    if (port == nullptr) return kMidiErrorInvalid;
    unsigned char bytes[3];
    if (shortMessageBytes(word, bytes) == 0) return kMidiErrorInvalid;
    FakeMidiService& service = fakeMidiService();
    if (service.sendResult != 0) return service.sendResult;
    service.sent.push_back(word);
    return 0;
}

uint32_t closeMidiOutput(MidiOutputPort* port) {
    if (port == nullptr) return kMidiErrorInvalid;
    --fakeMidiService().openOutputs;
    delete port;
    return 0;
}
