#include "jack_peer.h"

#include <jack/midiport.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// One queued outgoing message, fixed size so the process callback reads whole records.
struct OutgoingRecord {
    uint8_t output = 0;
    uint8_t size = 0;
    uint8_t bytes[3] = {0, 0, 0};
};

int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void recordInputs(JackPeer& peer, jack_nframes_t frames, int64_t now) {
    for (size_t port = 0; port < peer.inputs.size(); ++port) {
        void* buffer = jack_port_get_buffer(peer.inputs[port], frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0) continue;
            const size_t slot = peer.eventCount.load(std::memory_order_relaxed);
            if (slot >= kJackPeerEventCapacity) return;
            JackPeerEvent& recorded = peer.events[slot];
            recorded = JackPeerEvent{0, static_cast<uint32_t>(event.size), static_cast<uint32_t>(port), now};
            for (size_t b = 0; b < event.size && b < 4; ++b) recorded.word |= uint32_t{event.buffer[b]} << (8 * b);
            peer.eventCount.store(slot + 1, std::memory_order_release);
        }
    }
}

void writeOutputs(JackPeer& peer, jack_nframes_t frames) {
    const size_t outputCount = peer.outputs.size();
    void* buffers[8] = {};
    for (size_t port = 0; port < outputCount && port < 8; ++port) {
        buffers[port] = jack_port_get_buffer(peer.outputs[port], frames);
        jack_midi_clear_buffer(buffers[port]);
    }
    OutgoingRecord record;
    while (jack_ringbuffer_read_space(peer.outgoing) >= sizeof record) {
        jack_ringbuffer_peek(peer.outgoing, reinterpret_cast<char*>(&record), sizeof record);
        if (record.output < outputCount && record.output < 8 &&
            jack_midi_event_write(buffers[record.output], 0, record.bytes, record.size) != 0)
            return;  // this cycle's buffer is full: the rest goes out next cycle
        jack_ringbuffer_read_advance(peer.outgoing, sizeof record);
    }
}

int process(jack_nframes_t frames, void* argument) {
    auto& peer = *static_cast<JackPeer*>(argument);
    recordInputs(peer, frames, steadyNs());
    writeOutputs(peer, frames);
    return 0;
}

void discardText(const char*) {}

bool ownsPort(const JackPeer& peer, jack_port_t* port) {
    for (jack_port_t* own : peer.inputs)
        if (own == port) return true;
    for (jack_port_t* own : peer.outputs)
        if (own == port) return true;
    return false;
}

void countConnection(jack_port_id_t a, jack_port_id_t b, int connect, void* argument) {
    auto& peer = *static_cast<JackPeer*>(argument);
    if (connect == 0) return;
    const bool ownA = ownsPort(peer, jack_port_by_id(peer.client, a));
    const bool ownB = ownsPort(peer, jack_port_by_id(peer.client, b));
    if (ownA && ownB) {
        peer.ownConnections.fetch_add(1);
    } else if (ownA || ownB) {
        peer.connections.fetch_add(1);
    }
}

}  // namespace

bool openJackPeer(JackPeer& peer, const std::string& clientName, const std::vector<std::string>& inputNames,
                  const std::vector<std::string>& outputNames) {
    jack_set_error_function(discardText);
    jack_set_info_function(discardText);
    peer.client = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
    if (peer.client == nullptr) return false;
    peer.outgoing = jack_ringbuffer_create(sizeof(OutgoingRecord) * 4096);
    for (const std::string& name : inputNames)
        peer.inputs.push_back(jack_port_register(peer.client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0));
    for (const std::string& name : outputNames)
        peer.outputs.push_back(
            jack_port_register(peer.client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0));
    for (jack_port_t* port : peer.inputs)
        if (port == nullptr) return false;
    for (jack_port_t* port : peer.outputs)
        if (port == nullptr) return false;
    jack_set_process_callback(peer.client, process, &peer);
    jack_set_port_connect_callback(peer.client, countConnection, &peer);
    return jack_activate(peer.client) == 0;
}

void closeJackPeer(JackPeer& peer) {
    if (peer.client != nullptr) {
        jack_deactivate(peer.client);
        jack_client_close(peer.client);
        peer.client = nullptr;
    }
    if (peer.outgoing != nullptr) jack_ringbuffer_free(peer.outgoing);
    peer.outgoing = nullptr;
    peer.inputs.clear();
    peer.outputs.clear();
}

size_t fillPortTable(JackPeer& peer, const std::string& clientName) {
    if (!openJackPeer(peer, clientName, {}, {})) return 0;
    for (size_t i = 0;; ++i) {
        const std::string name = "fill-" + std::to_string(i);
        // Not kept in outputs, which the process callback reads: closing the client frees them.
        if (jack_port_register(peer.client, name.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0) == nullptr)
            return i;
    }
}

std::string peerInputName(const JackPeer& peer, size_t index) { return jack_port_name(peer.inputs.at(index)); }

std::string peerOutputName(const JackPeer& peer, size_t index) { return jack_port_name(peer.outputs.at(index)); }

std::vector<std::string> serverPortNames(const JackPeer& peer, unsigned long flags) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(peer.client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (ports == nullptr) return names;
    for (size_t i = 0; ports[i] != nullptr; ++i) names.emplace_back(ports[i]);
    jack_free(ports);
    return names;
}

bool sendFromPeer(JackPeer& peer, size_t output, const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > 3) return false;
    OutgoingRecord record;
    record.output = static_cast<uint8_t>(output);
    record.size = static_cast<uint8_t>(bytes.size());
    std::memcpy(record.bytes, bytes.data(), bytes.size());
    if (jack_ringbuffer_write_space(peer.outgoing) < sizeof record) return false;
    jack_ringbuffer_write(peer.outgoing, reinterpret_cast<const char*>(&record), sizeof record);
    return true;
}

std::vector<JackPeerEvent> peerEvents(const JackPeer& peer) {
    const size_t count = peer.eventCount.load(std::memory_order_acquire);
    return std::vector<JackPeerEvent>(peer.events.begin(), peer.events.begin() + static_cast<std::ptrdiff_t>(count));
}

bool awaitEarlierConnectionNotices(JackPeer& peer, int timeoutMs) {
    if (peer.inputs.empty() || peer.outputs.empty()) return false;
    const std::string from = peerOutputName(peer, 0);
    const std::string to = peerInputName(peer, 0);
    const int before = peer.ownConnections.load();
    if (jack_connect(peer.client, from.c_str(), to.c_str()) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool seen = false;
    while (!(seen = peer.ownConnections.load() > before) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    jack_disconnect(peer.client, from.c_str(), to.c_str());
    return seen;
}

bool waitForPeerEvents(const JackPeer& peer, size_t count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (peer.eventCount.load(std::memory_order_acquire) < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

uint32_t jackPeriodFrames(const JackPeer& peer) { return jack_get_buffer_size(peer.client); }

uint32_t jackSampleRate(const JackPeer& peer) { return jack_get_sample_rate(peer.client); }
