#include <gtest/gtest.h>

#include <string>

#include "core/json_text.h"
#include "midi/midi_message.h"

namespace {

uint32_t bytesToWord(uint8_t b0, uint8_t b1, uint8_t b2) { return b0 | b1 << 8 | b2 << 16; }

TEST(MidiMessage, PackPlacesStatusChannelAndDataBytes) {
    EXPECT_EQ(packMidiMessage(0x90, 1, 60, 127), bytesToWord(0x90, 0x3C, 0x7F));
    EXPECT_EQ(packMidiMessage(0xB0, 16, 123, 0), bytesToWord(0xBF, 0x7B, 0x00));
    EXPECT_EQ(packMidiMessage(0xC0, 2, 5, 0), bytesToWord(0xC1, 0x05, 0x00));
    EXPECT_EQ(packMidiMessage(0xC0, 1, 5, 0), 0x5C0u);
}

TEST(MidiMessage, MonitoredAreTheSevenChannelVoiceTypes) {
    for (uint32_t status = 0; status < 0x100; ++status) {
        const bool expected = status >= 0x80 && status <= 0xEF;
        EXPECT_EQ(isMonitoredMessage(status | 0x3C00), expected) << "status " << status;
    }
}

TEST(MidiMessage, RowLabelsAndTexts) {
    struct Case {
        uint32_t word;
        uint32_t timestamp;
        const char* row;
    };
    const Case cases[] = {
        {bytesToWord(0x90, 60, 127), 1532, "1532 ms | Note On | Ch 1 | Nr 60 | Value 127"},
        {bytesToWord(0x90, 60, 0), 0, "0 ms | Note Off (V0) | Ch 1 | Nr 60 | Value 0"},
        {bytesToWord(0x8F, 1, 64), 7, "7 ms | Note Off | Ch 16 | Nr 1 | Value 64"},
        {bytesToWord(0xB3, 7, 100), 12, "12 ms | CC | Ch 4 | Nr 7 | Value 100"},
        {bytesToWord(0xC1, 5, 0), 4294967295u, "4294967295 ms | PC | Ch 2 | Nr 5 | Value 0"},
        {bytesToWord(0xE0, 0x00, 0x40), 3, "3 ms | MIDI | Ch 1 | Nr 0 | Value 64"},
        {bytesToWord(0xA2, 61, 10), 3, "3 ms | MIDI | Ch 3 | Nr 61 | Value 10"},
        {bytesToWord(0xD0, 99, 0), 3, "3 ms | MIDI | Ch 1 | Nr 99 | Value 0"},
        // Data bytes with the top bit set are shown masked to 7 bits.
        {bytesToWord(0x90, 0xBC, 0xFF), 1, "1 ms | Note On | Ch 1 | Nr 60 | Value 127"},
        {bytesToWord(0x90, 0x3C, 0x80), 1, "1 ms | Note Off (V0) | Ch 1 | Nr 60 | Value 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatMidiRow(c.word, c.timestamp), c.row);
}

TEST(MidiMessage, BytesFromTheServiceToAWordAndBack) {
    struct Case {
        std::vector<unsigned char> bytes;
        bool packs;
        uint32_t word;
        size_t wireLength;
    };
    const Case cases[] = {
        {{0x90, 0x3C, 0x7F}, true, 0x7F3C90, 3},
        {{0xC1, 0x05}, true, 0x05C1, 2},
        {{0xD0, 0x40}, true, 0x40D0, 2},
        {{0xF8}, true, 0xF8, 1},
        {{0xFE}, true, 0xFE, 1},
        {{0xF2, 0x01, 0x02}, true, 0x0201F2, 3},
        {{0xF3, 0x01}, true, 0x01F3, 2},
        {{}, false, 0, 0},
        {{0x3C, 0x7F}, false, 0, 0},             // no status byte first
        {{0xF0, 0x7E, 0xF7}, false, 0, 0},       // system exclusive
        {{0x90, 0x3C, 0x7F, 0x00}, false, 0, 0}, // longer than a short message
    };
    for (const Case& c : cases) {
        uint32_t word = 0xDEAD;
        EXPECT_EQ(packMidiBytes(c.bytes.data(), c.bytes.size(), word), c.packs);
        if (!c.packs) continue;
        EXPECT_EQ(word, c.word);
        unsigned char wire[3];
        ASSERT_EQ(shortMessageBytes(word, wire), c.wireLength);
        EXPECT_EQ(std::vector<unsigned char>(wire, wire + c.wireLength), c.bytes);
    }
    unsigned char wire[3];
    EXPECT_EQ(shortMessageBytes(0x3C, wire), 0u);   // data byte, no status
    EXPECT_EQ(shortMessageBytes(0xF0, wire), 0u);   // system exclusive start
    EXPECT_EQ(shortMessageBytes(0xF7, wire), 0u);
}

TEST(JsonText, EscapesQuotesBackslashesAndControlCharacters) {
    struct Case {
        std::string name;
        std::string json;
    };
    const Case cases[] = {
        {"peer:out", "peer:out"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\midi", "C:\\\\midi"},
        {"tab\there", "tab\\u0009here"},
        {"line\nbreak\r", "line\\u000abreak\\u000d"},
        {std::string("nul\0end", 7), "nul\\u0000end"},
        {"\x1f\x7f", "\\u001f\x7f"},
        {"Caf\xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x8E\xB9", "Caf\xC3\xA9 \xE2\x80\xA6 \xF0\x9F\x8E\xB9"},
    };
    for (const Case& c : cases) EXPECT_EQ(toUtf8Json(c.name), c.json);
}

TEST(JsonText, ReplacesEachInvalidUtf8SubpartWithOneReplacementCharacter) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        std::string name;
        std::string json;
    };
    const Case cases[] = {
        {"a\x80z", "a" + fffd + "z"},                      // lone continuation byte
        {"a\xC3", "a" + fffd},                             // truncated at the end
        {"\xC0\xAF", fffd + fffd},                         // overlong lead bytes are never valid
        {"\xE0\x80\xAF", fffd + fffd + fffd},              // overlong three-byte form
        {"\xED\xA0\x80", fffd + fffd + fffd},              // UTF-16 surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},   // above U+10FFFF
        {"\xE2\x82z", fffd + "z"},                         // truncated sequence: one replacement
        {"\xF0\x9F\x8E", fffd},
        {"\xFF\"", fffd + "\\\""},
    };
    for (const Case& c : cases) EXPECT_EQ(toUtf8Json(c.name), c.json) << c.name;
}

}  // namespace
