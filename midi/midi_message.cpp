#include "midi_message.h"

MidiShortMessage packMidiMessage(uint32_t statusNibble, uint32_t channel, uint32_t data1, uint32_t data2) {
    return statusNibble | (channel - 1) | data1 << 8 | data2 << 16;
}

bool areMidiSendFieldsInRange(int32_t channel, int32_t number, int32_t value, int32_t pulseMs) {
    return channel >= 1 && channel <= 16 && number >= 0 && number <= 127 && value >= 0 && value <= 127 &&
           pulseMs >= 0 && pulseMs <= 60000;
}

uint16_t heldNoteKey(MidiShortMessage noteWord) { return static_cast<uint16_t>((noteWord & 0xFF0F) | kMidiNoteOn); }

MidiShortMessage noteOffForHeldNote(uint16_t key) { return (key & 0xFF0Fu) | kMidiNoteOff; }

bool isMonitoredMessage(MidiShortMessage word) { return (word & 0xF0) - 0x80 <= 0x60; }

const char* midiRowLabel(MidiShortMessage word) {
    switch (word & 0xF0) {
        case 0x80: return "Note Off";
        case 0x90: return ((word >> 16) & 0x7F) != 0 ? "Note On" : "Note Off (V0)";
        case 0xB0: return "CC";
        case 0xC0: return "PC";
        default: return "MIDI";
    }
}

std::string formatMidiRow(MidiShortMessage word, uint32_t timestampMs) {
    std::string row = std::to_string(timestampMs);
    row += " ms | ";
    row += midiRowLabel(word);
    row += " | Ch ";
    row += std::to_string((word & 0x0F) + 1);
    row += " | Nr ";
    row += std::to_string((word >> 8) & 0x7F);
    row += " | Value ";
    row += std::to_string((word >> 16) & 0x7F);
    return row;
}

bool packMidiBytes(const unsigned char* bytes, size_t count, MidiShortMessage& word) {
    if (count == 0 || count > 3 || (bytes[0] & 0x80) == 0 || bytes[0] == 0xF0) return false;
    word = 0;
    for (size_t i = 0; i < count; ++i) word |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return true;
}

namespace {

// How many bytes a status byte takes on the wire; 0 for no status or system exclusive.
size_t lengthForStatus(uint32_t status) {
    if (status < 0x80 || status == 0xF0 || status == 0xF7) return 0;
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;  // PC and channel pressure take 2
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    return 1;
}

}  // namespace

size_t shortMessageBytes(MidiShortMessage word, unsigned char bytes[3]) {
    for (size_t i = 0; i < 3; ++i) bytes[i] = static_cast<unsigned char>(word >> (8 * i));
    return lengthForStatus(word & 0xFF);
}
