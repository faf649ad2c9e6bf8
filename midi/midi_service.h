#pragma once
// The platform's MIDI service: what the engine and the command-line modes need of it.
// Every operation returns 0 for success or one of the error numbers below; nothing
// throws. Ports are numbered from 0 in the order the service lists them; the lists never
// hold this process's own ports.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr uint32_t kMidiErrorGeneral = 1;       // unexpected driver failure
inline constexpr uint32_t kMidiErrorBadPort = 2;       // no port with this index (any more)
inline constexpr uint32_t kMidiErrorNoService = 3;     // no MIDI system reachable
inline constexpr uint32_t kMidiErrorOpenFailed = 4;    // the driver refused to open or connect the port
inline constexpr uint32_t kMidiErrorSendFailed = 5;    // the driver refused the message
inline constexpr uint32_t kMidiErrorSystem = 6;        // an operating-system or thread call failed
inline constexpr uint32_t kMidiErrorNoMemory = 7;      // out of memory
inline constexpr uint32_t kMidiErrorInvalid = 11;      // not a short message, or an invalid use

struct MidiInputPort;   // opaque handles, owned by the service until closed
struct MidiOutputPort;

// One entry per port index; empty when that port's name could not be read.
using MidiPortNames = std::vector<std::optional<std::string>>;

uint32_t listMidiInputPorts(MidiPortNames& names);
uint32_t listMidiOutputPorts(MidiPortNames& names);

// Called on the service's own thread for each received short message, with the packed
// word and the milliseconds since startMidiInput. Must return quickly.
using MidiInputHandler = void (*)(void* context, uint32_t word, uint32_t timestampMs);

// A port is opened as the one that was listed: index and listedName as the last list gave
// them. Where the service numbers its ports afresh as ports come and go (JACK), the name
// decides; a port of that name that is gone gives kMidiErrorBadPort, never another port.
// An empty listedName (the name could not be read) opens whatever the index names now.
uint32_t openMidiInput(uint32_t index, const std::string& listedName, MidiInputHandler handler, void* context,
                       MidiInputPort** port);
uint32_t startMidiInput(MidiInputPort* port);
void stopMidiInput(MidiInputPort* port);
// Releases the port; once it returns, the handler runs no more.
void closeMidiInput(MidiInputPort* port);

uint32_t openMidiOutput(uint32_t index, const std::string& listedName, MidiOutputPort** port);
uint32_t sendMidiShortMessage(MidiOutputPort* port, uint32_t word);
// Releases the port after the messages already sent have gone out: 0 when they did,
// kMidiErrorSendFailed when the MIDI system went away (or stopped taking them) first.
uint32_t closeMidiOutput(MidiOutputPort* port);
