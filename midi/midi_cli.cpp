#include "midi_cli.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "../core/exit_codes.h"
#include "../core/interruption.h"
#include "../core/json_writer.h"
#include "../core/whole_file.h"
#include "../core/output_file.h"
#include "midi_message.h"
#include "midi_options.h"
#include "midi_service.h"

namespace {

constexpr size_t kCaptureLimit = 512;

void writePortEntries(JsonWriter& json, std::string_view key, const MidiPortNames& names) {
    json.objectKey(key, '[');
    for (size_t index = 0; index < names.size(); ++index) {
        json.element();
        json.open('{');
        json.number("index", uint64_t{index});
        json.text("name", names[index].value_or(""));
        json.close('}');
    }
    json.close(']');
}

int runList(const ArgumentVector& args) {
    JsonWriter json;
    MidiPortNames names;
    json.open('{');
    listMidiInputPorts(names);  // no MIDI system reachable: an empty list, still a success
    writePortEntries(json, "inputs", names);
    listMidiOutputPorts(names);
    writePortEntries(json, "outputs", names);
    json.close('}');
    return writeFileWhole(optionValue(args, midi_options::kListOutput), json.out) ? kSuccess : kOutputNotWritten;
}

// The port as the service lists it now: false when there is no such index. name is the
// listed name (empty when unreadable), so that the open reaches this very port even if
// other ports come or go before it.
bool findListedPort(int32_t port, uint32_t (*list)(MidiPortNames&), std::string& name) {
    if (port < 0) return false;
    MidiPortNames names;
    list(names);
    if (static_cast<size_t>(port) >= names.size()) return false;
    name = names[static_cast<size_t>(port)].value_or("");
    return true;
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

// Whether the file was written; a failure here does not end the capture.
bool writeReadyFile(const std::string& path) {
    if (path.empty()) return false;
    std::ofstream ready = openOutputFile(path);
    ready << "ready";
    ready.close();
    return !ready.fail();
}

// An interrupted capture is no capture: a script waiting for the ready file must not take
// the interrupted run for a running one.
void removeReadyFile(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}

int runListen(const ArgumentVector& args) {
    // A value that does not read as a number or lies outside its range ends with 2.
    const auto port = numericOptionValue(args, midi_options::kInputPort);
    const auto listenMs = numericOptionValue(args, midi_options::kListenMs);
    if (!port || !listenMs) return kInvalidArguments;
    std::string listedName;
    if (!findListedPort(*port, listMidiInputPorts, listedName)) return kInvalidArguments;

    CaptureRecord capture;
    capture.messages.reserve(kCaptureLimit);  // the input thread then never allocates
    MidiInputPort* input = nullptr;
    if (openMidiInput(static_cast<uint32_t>(*port), listedName, captureMessage, &capture, &input) != 0)
        return kPortNotOpened;
    if (startMidiInput(input) != 0) {
        closeMidiInput(input);
        return kPortNotOpened;
    }
    takeInterruptions(true);
    const std::string readyFile = optionValue(args, midi_options::kReadyFile);
    const bool ready = writeReadyFile(readyFile);
    sleepUnlessInterrupted(static_cast<uint32_t>(*listenMs));
    stopMidiInput(input);
    closeMidiInput(input);
    if (interruptionRequested() && ready) removeReadyFile(readyFile);
    takeInterruptions(false);
    endIfInterrupted();

    JsonWriter json;
    json.open('{');
    json.objectKey("messages", '[');
    for (const int32_t message : capture.messages) json.numberElement(message);
    json.close(']');
    json.close('}');
    return writeFileWhole(optionValue(args, midi_options::kCaptureOutput), json.out) ? kSuccess : kOutputNotWritten;
}

std::optional<uint32_t> statusForType(const std::string& type) {
    if (type == "Note") return kMidiNoteOn;
    if (type == "NoteOff") return kMidiNoteOff;
    if (type == "CC") return kMidiControlChange;
    if (type == "PC") return kMidiProgramChange;
    return std::nullopt;
}

int runSend(const ArgumentVector& args) {
    const auto port = numericOptionValue(args, midi_options::kOutputPort);
    const auto channel = numericOptionValue(args, midi_options::kChannel);
    const auto number = numericOptionValue(args, midi_options::kNumber);
    const auto value = numericOptionValue(args, midi_options::kValue);
    const auto pulse = numericOptionValue(args, midi_options::kPulse);
    if (!port || !channel || !number || !value || !pulse) return kInvalidArguments;
    std::string listedName;
    if (!findListedPort(*port, listMidiOutputPorts, listedName)) return kInvalidArguments;

    MidiOutputPort* output = nullptr;
    if (openMidiOutput(static_cast<uint32_t>(*port), listedName, &output) != 0) return kPortNotOpened;
    const std::string type = optionValue(args, midi_options::kType);
    const std::optional<uint32_t> status = statusForType(type);
    if (!status) {
        closeMidiOutput(output);
        return kInvalidArguments;
    }
    const auto ch = static_cast<uint32_t>(*channel);
    const auto nr = static_cast<uint32_t>(*number);
    const uint32_t data2 = *status == kMidiProgramChange ? 0 : static_cast<uint32_t>(*value);
    // From the first message on, an interruption cuts the pulse short but still releases.
    takeInterruptions(true);
    bool sent = sendMidiShortMessage(output, packMidiMessage(*status, ch, nr, data2)) == 0;
    if (*pulse != 0 && (*status == kMidiNoteOn || *status == kMidiControlChange)) {
        sleepUnlessInterrupted(static_cast<uint32_t>(*pulse));
        const uint32_t release = *status == kMidiNoteOn ? kMidiNoteOff : kMidiControlChange;
        // Sent even if the first failed.
        sent = sendMidiShortMessage(output, packMidiMessage(release, ch, nr, 0)) == 0 && sent;
    }
    sent = closeMidiOutput(output) == 0 && sent;  // what the system took must also have left
    takeInterruptions(false);
    endIfInterrupted();
    return sent ? kSuccess : kSendFailed;
}

}  // namespace

int runMidiCommandLine(const ArgumentVector& args) {
    if (args.size() < 2) return kInvalidArguments;
    if (args[1] == midi_options::kList) return runList(args);
    if (args[1] == midi_options::kListen) return runListen(args);
    if (args[1] == midi_options::kSend) return runSend(args);
    return kInvalidArguments;
}
