#pragma once
// A MIDI service of our own behind midi_service.h, for the MIDI command-line target: ports
// are names in two lists, sent messages are recorded, and input is handed to the open
// port's handler as the service's thread would hand it. Linked as an object file, so the
// real service's objects are never taken from their archive. (The engine tests have the
// same fake; once both live on one branch, this copy goes and the target links theirs.)
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "midi/midi_service.h"

struct FakeMidiService {
    bool reachable = false;  // false: every list and open answers kMidiErrorNoService
    std::vector<std::optional<std::string>> inputs;   // empty entry: the name cannot be read
    std::vector<std::optional<std::string>> outputs;
    uint32_t openInputResult = 0;   // non-zero: opening an input fails with it
    uint32_t openOutputResult = 0;
    uint32_t sendResult = 0;        // non-zero: every send is refused with it
    std::vector<uint32_t> sent;     // what the outputs accepted, in order
    int openInputs = 0;
    int openOutputs = 0;
    int startedInputs = 0;
};

// The one service of the process; reset between tests.
FakeMidiService& fakeMidiService();
void resetFakeMidiService();

// Hands one message to every started input port's handler, on the calling thread.
// Returns how many ports took it.
int deliverFakeMidiInput(uint32_t word, uint32_t timestampMs);
