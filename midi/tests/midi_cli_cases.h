#pragma once
// --midi-send cases shared by the Linux binary's tests (midi_cli_test.cpp, against JACK)
// and lumibox.exe's under wine (cli/tests/exe_midi_cli_test.cpp, against the loop winmm.dll).
// Each runs with --midi-send --port <the device's output port> followed by the options.
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t midiWord(uint8_t b0, uint8_t b1 = 0, uint8_t b2 = 0) { return b0 | b1 << 8 | b2 << 16; }

struct MidiSendCase {
    std::vector<std::string> options;
    std::vector<uint32_t> received;  // what the device receives, in order
};

inline const std::vector<MidiSendCase> kMidiSendCases = {
    // Program Change: only 0x5C0, and no pause even with a long pulse.
    {{"--type", "PC", "--number", "5", "--pulse", "60000"}, {0x5C0}},
    {{"--type", "CC", "--channel", "16", "--number", "7", "--value", "100", "--pulse", "50"},
     {midiWord(0xBF, 7, 100), midiWord(0xBF, 7, 0)}},
    {{"--type", "NoteOff", "--channel", "2", "--number", "61", "--value", "64"}, {midiWord(0x81, 61, 64)}},
    {{"--type", "Note", "--pulse", "0", "--value", "1"}, {midiWord(0x90, 60, 1)}},
    {{"--channel", "3", "--channel", "9", "--pulse", "0"}, {midiWord(0x92, 60, 127)}},  // first value wins
};

// Refused with exit code 2; some only after the port was opened and closed again.
struct MidiSendRefusal {
    std::vector<std::string> options;
    bool opensPort;
};

inline const std::vector<MidiSendRefusal> kMidiSendRefusals = {
    {{"--type", "note"}, true},  // type names are case-sensitive, checked after opening
    {{"--type", "Program"}, true},
    {{"--value", "128"}, false},
    {{"--number", "-1"}, false},
    {{"--channel", "0"}, false},
    {{"--channel", "17"}, false},
    {{"--channel", "-2147483648"}, false},
    {{"--pulse", "60001"}, false},
    {{"--pulse", "x"}, false},
    {{"--value", "99999999999"}, false},
};
