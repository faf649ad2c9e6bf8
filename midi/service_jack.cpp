// JACK MIDI straight through libjack: one JACK client per open port, a process callback
// that does constant work, and a close that waits until what was sent has gone out.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "../core/clock.h"
#include "midi_message.h"
#include "service_linux.h"

namespace {

constexpr const char* kClientName = "lumibox";
constexpr size_t kOutgoingRecords = 4096;
constexpr auto kFlushTimeout = std::chrono::milliseconds(500);
constexpr auto kConnectTimeout = std::chrono::milliseconds(1000);
constexpr int kClientOpenAttempts = 4;
constexpr auto kClientOpenRetryPause = std::chrono::milliseconds(20);

void discardText(const char*) {}

jack_client_t* openClient() {
    // libjack prints its connection failures on stderr unless told otherwise.
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(discardText);
        jack_set_info_function(discardText);
    });
    // A server under load now and then fails to open a client that it would open a moment
    // later (it cannot reach the new client's socket in time). Only a server that does
    // not answer at all means there is no JACK.
    for (int attempt = 1;; ++attempt) {
        jack_status_t status{};
        jack_client_t* client = jack_client_open(kClientName, JackNoStartServer, &status);
        if (client != nullptr || (status & JackServerFailed) != 0 || attempt == kClientOpenAttempts) return client;
        std::this_thread::sleep_for(kClientOpenRetryPause);
    }
}

// Ports this process registered. They are left out of every list: JACK gives a new port
// the lowest free slot, so our own ports would sit among the devices' and shift them.
struct OwnPorts {
    std::mutex mutex;
    std::vector<std::string> names;
};

OwnPorts& ownPorts() {
    static OwnPorts ports;
    return ports;
}

bool isOwnPort(const char* name) {
    OwnPorts& own = ownPorts();
    std::lock_guard lock(own.mutex);
    return std::find(own.names.begin(), own.names.end(), name) != own.names.end();
}

// Registers one MIDI port and remembers it as ours; nullptr when JACK refuses.
jack_port_t* registerOwnPort(jack_client_t* client, const char* shortName, unsigned long flags) {
    jack_port_t* port = jack_port_register(client, shortName, JACK_DEFAULT_MIDI_TYPE, flags, 0);
    if (port == nullptr) return nullptr;
    OwnPorts& own = ownPorts();
    std::lock_guard lock(own.mutex);
    try {
        own.names.emplace_back(jack_port_name(port));
    } catch (const std::bad_alloc&) {
        jack_port_unregister(client, port);
        return nullptr;
    }
    return port;
}

void forgetOwnPort(jack_port_t* port) {
    if (port == nullptr) return;
    OwnPorts& own = ownPorts();
    std::lock_guard lock(own.mutex);
    const auto found = std::find(own.names.begin(), own.names.end(), jack_port_name(port));
    if (found != own.names.end()) own.names.erase(found);
}

// Names of the other clients' MIDI ports with the given direction flag, in the server's order.
uint32_t portNames(jack_client_t* client, unsigned long flags, MidiPortNames& names) {
    names.clear();
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (ports == nullptr) return 0;
    uint32_t result = 0;
    try {
        for (size_t i = 0; ports[i] != nullptr; ++i)
            if (!isOwnPort(ports[i])) names.emplace_back(std::string(ports[i]));
    } catch (const std::bad_alloc&) {
        names.clear();
        result = kMidiErrorNoMemory;
    }
    jack_free(ports);
    return result;
}

// Our inputs listen to the other clients' output ports, and our outputs feed their inputs.
uint32_t listPorts(unsigned long flags, MidiPortNames& names) {
    names.clear();
    jack_client_t* client = openClient();
    if (client == nullptr) return kMidiErrorNoService;
    const uint32_t result = portNames(client, flags, names);
    jack_client_close(client);
    return result;
}

// The port to connect to: the one listed under listedName, checked to be still there as
// another client's MIDI port of the right direction; without a name, whatever index
// names now. Connecting by name means a port that came or went in between cannot shift
// the choice onto another port.
uint32_t listedPort(jack_client_t* client, unsigned long flags, uint32_t index, const std::string& listedName,
                    std::string& name) {
    if (listedName.empty()) {
        MidiPortNames names;
        if (const uint32_t result = portNames(client, flags, names)) return result;
        if (index >= names.size() || !names[index]) return kMidiErrorBadPort;
        name = *names[index];
        return 0;
    }
    const jack_port_t* port = jack_port_by_name(client, listedName.c_str());
    if (port == nullptr || (jack_port_flags(port) & flags) == 0 ||
        std::strcmp(jack_port_type(port), JACK_DEFAULT_MIDI_TYPE) != 0 || isOwnPort(jack_port_name(port)))
        return kMidiErrorBadPort;
    name = listedName;
    return 0;
}

struct JackInput {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    MidiInputHandler handler = nullptr;
    void* context = nullptr;
    std::atomic<bool> running{false};
    std::atomic<int64_t> startedAt{0};
    std::atomic<bool> connectionLive{false};  // a cycle has run with the source connected
};

struct OutgoingRecord {
    uint8_t size = 0;
    uint8_t bytes[3] = {0, 0, 0};
};

struct JackOutput {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    jack_ringbuffer_t* outgoing = nullptr;
    std::atomic<uint64_t> cycles{0};
    std::atomic<bool> serverGone{false};
    bool connectionLive = false;  // realtime thread only
};

// A connection takes effect from a later process cycle than the one jack_connect returns
// in. Until a cycle runs with the port connected, what is sent reaches nobody and what
// the source sends does not reach us.
bool connectedInThisCycle(jack_port_t* port) { return jack_port_connected(port) > 0; }

// The process callbacks run on JACK's realtime thread: no lock, no allocation.
int processInput(jack_nframes_t frames, void* argument) {
    auto* input = static_cast<JackInput*>(argument);
    if (!input->connectionLive.load(std::memory_order_relaxed) && connectedInThisCycle(input->port))
        input->connectionLive.store(true, std::memory_order_release);
    if (!input->running.load(std::memory_order_acquire)) return 0;
    void* buffer = jack_port_get_buffer(input->port, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    if (count == 0) return 0;
    const int64_t elapsed = steadyNanoseconds() - input->startedAt.load(std::memory_order_relaxed);
    const auto timestampMs = static_cast<uint32_t>(elapsed / 1000000);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        MidiShortMessage word = 0;
        if (jack_midi_event_get(&event, buffer, i) == 0 && packMidiBytes(event.buffer, event.size, word))
            input->handler(input->context, word, timestampMs);
    }
    return 0;
}

int processOutput(jack_nframes_t frames, void* argument) {
    auto* output = static_cast<JackOutput*>(argument);
    void* buffer = jack_port_get_buffer(output->port, frames);
    jack_midi_clear_buffer(buffer);
    // What was sent before the connection is live waits in the queue rather than being lost.
    if (!output->connectionLive) output->connectionLive = connectedInThisCycle(output->port);
    if (!output->connectionLive) {
        output->cycles.fetch_add(1, std::memory_order_release);
        return 0;
    }
    OutgoingRecord record;
    while (jack_ringbuffer_read_space(output->outgoing) >= sizeof record) {
        jack_ringbuffer_peek(output->outgoing, reinterpret_cast<char*>(&record), sizeof record);
        if (jack_midi_event_write(buffer, 0, record.bytes, record.size) != 0) break;  // full: next cycle
        jack_ringbuffer_read_advance(output->outgoing, sizeof record);
    }
    output->cycles.fetch_add(1, std::memory_order_release);
    return 0;
}

void markServerGone(void* argument) { static_cast<JackOutput*>(argument)->serverGone.store(true); }

void releaseInput(JackInput* input) {
    if (input == nullptr) return;
    forgetOwnPort(input->port);
    if (input->client != nullptr) jack_client_close(input->client);  // deactivates first
    delete input;
}

void releaseOutput(JackOutput* output) {
    if (output == nullptr) return;
    forgetOwnPort(output->port);
    if (output->client != nullptr) jack_client_close(output->client);
    if (output->outgoing != nullptr) jack_ringbuffer_free(output->outgoing);
    delete output;
}

using InputRecord = std::unique_ptr<JackInput, decltype(&releaseInput)>;
using OutputRecord = std::unique_ptr<JackOutput, decltype(&releaseOutput)>;

uint32_t listInputs(MidiPortNames& names) { return listPorts(JackPortIsOutput, names); }

uint32_t listOutputs(MidiPortNames& names) { return listPorts(JackPortIsInput, names); }

uint32_t openInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                   void** port) {
    InputRecord input(new (std::nothrow) JackInput, releaseInput);
    if (!input) return kMidiErrorNoMemory;
    input->handler = handler;
    input->context = context;
    input->client = openClient();
    if (input->client == nullptr) return kMidiErrorNoService;
    std::string source;
    if (const uint32_t result = listedPort(input->client, JackPortIsOutput, index, listedName, source)) return result;
    input->port = registerOwnPort(input->client, "in", JackPortIsInput);
    if (input->port == nullptr || jack_set_process_callback(input->client, processInput, input.get()) != 0 ||
        jack_activate(input->client) != 0)
        return kMidiErrorOpenFailed;
    if (jack_connect(input->client, source.c_str(), jack_port_name(input->port)) != 0)
        return jack_port_by_name(input->client, source.c_str()) == nullptr ? kMidiErrorBadPort : kMidiErrorOpenFailed;
    // Open means the source's messages reach us: a caller may tell the device to send now.
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    while (!input->connectionLive.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    *port = input.release();
    return 0;
}

uint32_t startInput(void* port) {
    auto* input = static_cast<JackInput*>(port);
    input->startedAt.store(steadyNanoseconds(), std::memory_order_relaxed);
    input->running.store(true, std::memory_order_release);
    return 0;
}

void stopInput(void* port) { static_cast<JackInput*>(port)->running.store(false, std::memory_order_release); }

void closeInput(void* port) {
    auto* input = static_cast<JackInput*>(port);
    input->running.store(false, std::memory_order_release);
    jack_deactivate(input->client);  // returns after the current cycle: no callback runs after this
    releaseInput(input);
}

uint32_t openOutput(uint32_t index, const std::string& listedName, void** port) {
    OutputRecord output(new (std::nothrow) JackOutput, releaseOutput);
    if (!output) return kMidiErrorNoMemory;
    output->outgoing = jack_ringbuffer_create(kOutgoingRecords * sizeof(OutgoingRecord));
    if (output->outgoing == nullptr) return kMidiErrorNoMemory;
    output->client = openClient();
    if (output->client == nullptr) return kMidiErrorNoService;
    std::string target;
    if (const uint32_t result = listedPort(output->client, JackPortIsInput, index, listedName, target)) return result;
    output->port = registerOwnPort(output->client, "out", JackPortIsOutput);
    if (output->port == nullptr) return kMidiErrorOpenFailed;
    jack_on_shutdown(output->client, markServerGone, output.get());
    if (jack_set_process_callback(output->client, processOutput, output.get()) != 0 || jack_activate(output->client) != 0)
        return kMidiErrorOpenFailed;
    if (jack_connect(output->client, jack_port_name(output->port), target.c_str()) != 0)
        return jack_port_by_name(output->client, target.c_str()) == nullptr ? kMidiErrorBadPort : kMidiErrorOpenFailed;
    *port = output.release();
    return 0;
}

uint32_t sendOutput(void* port, uint32_t word) {
    auto* output = static_cast<JackOutput*>(port);
    OutgoingRecord record;
    const size_t count = shortMessageBytes(word, record.bytes);
    if (count == 0) return kMidiErrorInvalid;
    if (output->serverGone.load()) return kMidiErrorSendFailed;
    if (jack_ringbuffer_write_space(output->outgoing) < sizeof record) return kMidiErrorSendFailed;
    record.size = static_cast<uint8_t>(count);
    jack_ringbuffer_write(output->outgoing, reinterpret_cast<const char*>(&record), sizeof record);
    return 0;
}

// Waits until the queue is empty and two more cycles have ended, so that the cycle which
// wrote the last message, and every client after us in it, has run. False when a message
// is still queued, or the server went away before those cycles ended; a server that is
// only slow to end them had the messages all the same.
bool flushOutput(JackOutput& output) {
    const auto deadline = std::chrono::steady_clock::now() + kFlushTimeout;
    auto waiting = [&] { return !output.serverGone.load() && std::chrono::steady_clock::now() < deadline; };
    while (jack_ringbuffer_read_space(output.outgoing) > 0 && waiting())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const uint64_t seen = output.cycles.load(std::memory_order_acquire);
    while (output.cycles.load(std::memory_order_acquire) < seen + 2 && waiting())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool cyclesEnded = output.cycles.load(std::memory_order_acquire) >= seen + 2;
    return jack_ringbuffer_read_space(output.outgoing) == 0 && (cyclesEnded || !output.serverGone.load());
}

uint32_t closeOutput(void* port) {
    auto* output = static_cast<JackOutput*>(port);
    const bool flushed = flushOutput(*output);
    jack_deactivate(output->client);
    releaseOutput(output);
    return flushed ? 0 : kMidiErrorSendFailed;
}

}  // namespace

const MidiBackend jackBackend = {
    listInputs, listOutputs, openInput, startInput, stopInput, closeInput, openOutput, sendOutput, closeOutput,
};
