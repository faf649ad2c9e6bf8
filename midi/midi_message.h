#pragma once
// The channel messages the system composes and recognises, packed the way the MIDI
// service carries them: status byte in bits 0..7, data 1 in 8..15, data 2 in 16..23.
#include <cstddef>
#include <cstdint>
#include <string>

using MidiShortMessage = uint32_t;

inline constexpr uint32_t kMidiNoteOff = 0x80;
inline constexpr uint32_t kMidiNoteOn = 0x90;
inline constexpr uint32_t kMidiControlChange = 0xB0;
inline constexpr uint32_t kMidiProgramChange = 0xC0;

// statusNibble | (channel - 1) | data1 << 8 | data2 << 16. Callers validate the ranges.
MidiShortMessage packMidiMessage(uint32_t statusNibble, uint32_t channel, uint32_t data1, uint32_t data2);

// The ranges the command line and the window both check before sending: channel 1..16,
// number and value 0..127, pulse 0..60000 ms (0: no release).
bool areMidiSendFieldsInRange(int32_t channel, int32_t number, int32_t value, int32_t pulseMs);

// Held notes are kept by key: the Note On status byte (type and channel) in the low byte,
// the note number in the high byte. The key of a Note On or Note Off word, and the Note
// Off that releases a held note.
uint16_t heldNoteKey(MidiShortMessage noteWord);
MidiShortMessage noteOffForHeldNote(uint16_t key);

// True for the seven channel-voice types (status high nibble 0x80..0xE0).
bool isMonitoredMessage(MidiShortMessage word);

// "Note Off", "Note On", "Note Off (V0)", "CC", "PC" or "MIDI".
const char* midiRowLabel(MidiShortMessage word);

// "<t> ms | <label> | Ch <c> | Nr <n> | Value <v>"
std::string formatMidiRow(MidiShortMessage word, uint32_t timestampMs);

// Bytes as the service hands them over, packed into a word. False for what is not a
// short message: empty, longer than 3 bytes, no status byte first, or system exclusive.
bool packMidiBytes(const unsigned char* bytes, size_t count, MidiShortMessage& word);

// The wire bytes of a word: fills bytes[0..2] and returns how many the status byte
// takes (1 to 3), or 0 when the word holds no sendable short message.
size_t shortMessageBytes(MidiShortMessage word, unsigned char bytes[3]);
