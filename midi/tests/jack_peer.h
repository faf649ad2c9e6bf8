#pragma once
// A stand-in MIDI device for the tests: one JACK client of our own, written straight
// against libjack, with virtual MIDI input and output ports. What arrives on its inputs
// is recorded with the time of arrival; what it sends leaves in the next process cycle.
#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct JackPeerEvent {
    uint32_t word = 0;       // bytes packed lowest first, as MidiShortMessage
    uint32_t size = 0;       // bytes in the event
    uint32_t port = 0;       // index of the peer input port
    int64_t arrivedNs = 0;   // steady clock at the process cycle that saw it
};

inline constexpr size_t kJackPeerEventCapacity = 8192;

struct JackPeer {
    jack_client_t* client = nullptr;
    std::vector<jack_port_t*> inputs;
    std::vector<jack_port_t*> outputs;
    jack_ringbuffer_t* outgoing = nullptr;
    std::array<JackPeerEvent, kJackPeerEventCapacity> events{};
    std::atomic<size_t> eventCount{0};
    std::atomic<int> connections{0};     // how often another client's port was connected to one of ours
    std::atomic<int> ownConnections{0};  // connections between two of our own ports
};

// Opens the client (the server is the one JACK_DEFAULT_SERVER names) and registers the
// ports. False when no server answers or a port cannot be made.
bool openJackPeer(JackPeer& peer, const std::string& clientName, const std::vector<std::string>& inputNames,
                  const std::vector<std::string>& outputNames);
void closeJackPeer(JackPeer& peer);

// Opens a client that registers MIDI ports until the server has room for no more, so that
// the next port anyone asks for is refused; closeJackPeer frees them. Returns how many it
// registered, 0 when the client could not be opened.
size_t fillPortTable(JackPeer& peer, const std::string& clientName);

// Full JACK name ("client:port") of one of the peer's ports.
std::string peerInputName(const JackPeer& peer, size_t index);
std::string peerOutputName(const JackPeer& peer, size_t index);

// Every MIDI port on the server with the given direction flag, whoever owns it, in the
// server's order.
std::vector<std::string> serverPortNames(const JackPeer& peer, unsigned long flags);

// Queues 1 to 3 bytes for the peer output port; false when the queue is full.
bool sendFromPeer(JackPeer& peer, size_t output, const std::vector<uint8_t>& bytes);

// Events received so far, in arrival order.
std::vector<JackPeerEvent> peerEvents(const JackPeer& peer);

// JACK tells a client of connections asynchronously. This connects the peer's output 0 to
// its input 0, waits for that notice and disconnects again: once it returns true, every
// connection made before the call has been counted. False after timeoutMs.
bool awaitEarlierConnectionNotices(JackPeer& peer, int timeoutMs);

// Waits until at least count events have arrived, or timeoutMs passed.
bool waitForPeerEvents(const JackPeer& peer, size_t count, int timeoutMs);

// The JACK server's period in frames and its sample rate.
uint32_t jackPeriodFrames(const JackPeer& peer);
uint32_t jackSampleRate(const JackPeer& peer);
