#include "midi_cli.h"

#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "../core/clock.h"
#include "../core/exit_codes.h"
#include "../core/json_text.h"
#include "../core/output_file.h"
#include "midi_message.h"
#include "midi_service.h"

namespace {

constexpr size_t kCaptureLimit = 512;

void writePortEntries(std::ofstream& file, const MidiPortNames& names) {
    for (size_t index = 0; index < names.size(); ++index) {
        if (index > 0) file << ',';
        file << "{\"index\":" << index << ",\"name\":\"" << toUtf8Json(names[index].value_or("")) << "\"}";
    }
}

int runList(const ArgumentVector& args) {
    std::ofstream file = openOutputFile(optionValue(args, "--output", "midi-ports.json"));
    MidiPortNames names;
    listMidiInputPorts(names);  // no MIDI system reachable: an empty list, still a success
    file << "{\"inputs\":[";
    writePortEntries(file, names);
    listMidiOutputPorts(names);
    file << "],\"outputs\":[";
    writePortEntries(file, names);
    file << "]}";
    file.close();
    return file.fail() ? kOutputNotWritten : kSuccess;
}

bool portIndexValid(int32_t port, uint32_t (*list)(MidiPortNames&)) {
    if (port < 0) return false;
    MidiPortNames names;
    list(names);
    return static_cast<size_t>(port) < names.size();
}

// Shared with the service's input thread while the port is open.
struct CaptureRecord {
    std::mutex mutex;
    std::vector<int32_t> messages;
};

void captureMessage(void* context, uint32_t word, uint32_t) {
    auto* capture = static_cast<CaptureRecord*>(context);
    std::lock_guard lock(capture->mutex);
    if (capture->messages.size() < kCaptureLimit) capture->messages.push_back(static_cast<int32_t>(word));
}

void writeReadyFile(const std::string& path) {
    if (path.empty()) return;
    std::ofstream ready = openOutputFile(path);
    ready << "ready";  // a failure here does not end the capture
}

int runListen(const ArgumentVector& args) {
    const auto port = numericOptionValue(args, "--port", "-1");
    const auto listenMs = numericOptionValue(args, "--listen-ms", "3000");
    if (!port || !listenMs) return kInvalidArguments;
    if (*listenMs < 100 || *listenMs > 60000) return kInvalidArguments;
    if (!portIndexValid(*port, listMidiInputPorts)) return kInvalidArguments;

    CaptureRecord capture;
    capture.messages.reserve(kCaptureLimit);  // the input thread then never allocates
    MidiInputPort* input = nullptr;
    if (openMidiInput(static_cast<uint32_t>(*port), captureMessage, &capture, &input) != 0) return kPortNotOpened;
    if (startMidiInput(input) != 0) {
        closeMidiInput(input);
        return kPortNotOpened;
    }
    writeReadyFile(optionValue(args, "--ready-file", ""));
    sleepMs(static_cast<uint32_t>(*listenMs));
    stopMidiInput(input);
    closeMidiInput(input);

    std::ofstream file = openOutputFile(optionValue(args, "--output", "midi-capture.json"));
    file << "{\"messages\":[";
    for (size_t i = 0; i < capture.messages.size(); ++i) {
        if (i > 0) file << ',';
        file << capture.messages[i];
    }
    file << "]}";
    file.close();
    return file.fail() ? kOutputNotWritten : kSuccess;
}

std::optional<uint32_t> statusForType(const std::string& type) {
    if (type == "Note") return kMidiNoteOn;
    if (type == "NoteOff") return kMidiNoteOff;
    if (type == "CC") return kMidiControlChange;
    if (type == "PC") return kMidiProgramChange;
    return std::nullopt;
}

int runSend(const ArgumentVector& args) {
    const auto port = numericOptionValue(args, "--port", "-1");
    const auto channel = numericOptionValue(args, "--channel", "1");
    const auto number = numericOptionValue(args, "--number", "60");
    const auto value = numericOptionValue(args, "--value", "127");
    const auto pulse = numericOptionValue(args, "--pulse", "200");
    if (!port || !channel || !number || !value || !pulse) return kInvalidArguments;
    if (static_cast<uint32_t>(*channel - 1) > 15 || static_cast<uint32_t>(*number | *value) > 127 ||
        static_cast<uint32_t>(*pulse) > 60000)
        return kInvalidArguments;
    if (!portIndexValid(*port, listMidiOutputPorts)) return kInvalidArguments;

    MidiOutputPort* output = nullptr;
    if (openMidiOutput(static_cast<uint32_t>(*port), &output) != 0) return kPortNotOpened;
    const std::string type = optionValue(args, "--type", "Note");
    const std::optional<uint32_t> status = statusForType(type);
    if (!status) {
        closeMidiOutput(output);
        return kInvalidArguments;
    }
    const auto ch = static_cast<uint32_t>(*channel);
    const auto nr = static_cast<uint32_t>(*number);
    const uint32_t data2 = *status == kMidiProgramChange ? 0 : static_cast<uint32_t>(*value);
    const uint32_t result = sendMidiShortMessage(output, packMidiMessage(*status, ch, nr, data2));
    if (*pulse != 0 && (*status == kMidiNoteOn || *status == kMidiControlChange)) {
        sleepMs(static_cast<uint32_t>(*pulse));
        const uint32_t release = *status == kMidiNoteOn ? kMidiNoteOff : kMidiControlChange;
        sendMidiShortMessage(output, packMidiMessage(release, ch, nr, 0));  // sent even if the first failed
    }
    closeMidiOutput(output);
    return result != 0 ? kSendFailed : kSuccess;
}

}  // namespace

int runMidiCommandLine(const ArgumentVector& args) {
    if (args.size() < 2) return kInvalidArguments;
    if (args[1] == "--midi-list") return runList(args);
    if (args[1] == "--midi-listen") return runListen(args);
    if (args[1] == "--midi-send") return runSend(args);
    return kInvalidArguments;
}
