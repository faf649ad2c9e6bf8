// Port names as JSON text, and the MIDI message model: decoding, labels and row text.
#include <cstdio>
#include <deque>

#include "fuzz_target.h"
#include "core/json_text.h"
#include "midi/midi_input_queue.h"
#include "midi/midi_message.h"

namespace {

// A lead byte's sequence length and the range its second byte must lie in (Unicode
// table 3-7); length 0 for a byte that cannot start a sequence.
struct Utf8Lead {
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
};

Utf8Lead utf8Lead(unsigned b0) {
    if (b0 < 0x80) return {1};
    if (b0 >= 0xC2 && b0 <= 0xDF) return {2};
    if (b0 >= 0xE0 && b0 <= 0xEF) return {3, b0 == 0xE0 ? 0xA0u : 0x80u, b0 == 0xED ? 0x9Fu : 0xBFu};
    if (b0 >= 0xF0 && b0 <= 0xF4) return {4, b0 == 0xF0 ? 0x90u : 0x80u, b0 == 0xF4 ? 0x8Fu : 0xBFu};
    return {};
}

// How many bytes from text[i] on fit a well-formed sequence: its length when it is
// complete, less for a maximal ill-formed subpart (at least 1).
std::size_t utf8Fitting(const std::string& text, std::size_t i, bool& complete) {
    const Utf8Lead lead = utf8Lead(static_cast<uint8_t>(text[i]));
    std::size_t k = 1;
    while (k < lead.length && i + k < text.size()) {
        const unsigned b = static_cast<uint8_t>(text[i + k]);
        if (b < (k == 1 ? lead.low : 0x80u) || b > (k == 1 ? lead.high : 0xBFu)) break;
        ++k;
    }
    complete = lead.length != 0 && k == lead.length;
    return k;
}

std::size_t utf8SequenceLength(const std::string& text, std::size_t i) {
    bool complete = false;
    const std::size_t k = utf8Fitting(text, i, complete);
    return complete ? k : 0;
}

bool isValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The contents of a JSON string literal (RFC 8259) decoded, or false when it is not one:
// no raw control character, no unescaped quote, only the escapes JSON knows.
bool decodeJsonString(const std::string& literal, std::string& decoded) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return false;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        const char c = literal[i];
        if (static_cast<uint8_t>(c) < 0x20 || c == '"') return false;
        if (c != '\\') {
            decoded += c;
            continue;
        }
        if (++i + 1 >= literal.size()) return false;
        switch (literal[i]) {
            case '"': decoded += '"'; break;
            case '\\': decoded += '\\'; break;
            case '/': decoded += '/'; break;
            case 'b': decoded += '\b'; break;
            case 'f': decoded += '\f'; break;
            case 'n': decoded += '\n'; break;
            case 'r': decoded += '\r'; break;
            case 't': decoded += '\t'; break;
            case 'u': {
                if (i + 4 > literal.size() - 2) return false;
                uint32_t code = 0;
                for (int k = 1; k <= 4; ++k) {
                    const int h = hexValue(literal[i + static_cast<std::size_t>(k)]);
                    if (h < 0) return false;
                    code = code << 4 | static_cast<uint32_t>(h);
                }
                if (code >= 0xD800 && code <= 0xDFFF) return false;  // never written for a port name
                appendUtf8(decoded, code);
                i += 4;
                break;
            }
            default: return false;
        }
    }
    return true;
}

// What the escaped name must decode to: each maximal ill-formed subpart becomes U+FFFD.
std::string referenceRepair(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        bool complete = false;
        const std::size_t k = utf8Fitting(name, i, complete);
        if (complete) {
            out.append(name, i, k);
        } else {
            out += "\xEF\xBF\xBD";
        }
        i += k;
    }
    return out;
}

void checkJson(const std::string& name) {
    const std::string escaped = toUtf8Json(name);
    FUZZ_CHECK(isValidUtf8(escaped));
    std::string decoded;
    FUZZ_CHECK(decodeJsonString("\"" + escaped + "\"", decoded));
    FUZZ_CHECK(decoded == referenceRepair(name));
    if (isValidUtf8(name)) FUZZ_CHECK(decoded == name);
}

const char* referenceLabel(uint32_t word) {
    const uint32_t type = word & 0xF0;
    if (type == 0x80) return "Note Off";
    if (type == 0x90) return ((word >> 16) & 0x7F) != 0 ? "Note On" : "Note Off (V0)";
    if (type == 0xB0) return "CC";
    if (type == 0xC0) return "PC";
    return "MIDI";
}

void checkMidiWord(uint32_t word, uint32_t timestamp) {
    const uint32_t type = word & 0xF0;
    FUZZ_CHECK(isMonitoredMessage(word) == (type >= 0x80 && type <= 0xE0));
    FUZZ_CHECK(std::string(midiRowLabel(word)) == referenceLabel(word));
    char row[128];
    std::snprintf(row, sizeof row, "%u ms | %s | Ch %u | Nr %u | Value %u", timestamp, referenceLabel(word),
                  (word & 0x0F) + 1, (word >> 8) & 0x7F, (word >> 16) & 0x7F);
    FUZZ_CHECK(formatMidiRow(word, timestamp) == row);
}

// Bytes as the service hands them over: packed when they form a short message, and the
// wire bytes of the packed word are those bytes again.
void checkMidiBytes(const std::string& bytes) {
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    MidiShortMessage word = 0;
    const bool packed = packMidiBytes(raw, bytes.size(), word);
    const bool shortMessage = !bytes.empty() && bytes.size() <= 3 && raw[0] >= 0x80 && raw[0] != 0xF0;
    FUZZ_CHECK(packed == shortMessage);
    if (!packed) return;
    unsigned char wire[3];
    const std::size_t length = shortMessageBytes(word, wire);
    FUZZ_CHECK(length <= 3);
    FUZZ_CHECK((length == 0) == (raw[0] == 0xF7));
    for (std::size_t i = 0; i < bytes.size(); ++i) FUZZ_CHECK(wire[i] == raw[i]);
    for (std::size_t i = bytes.size(); i < 3; ++i) FUZZ_CHECK(wire[i] == 0);
}

void checkPack(FuzzReader& in) {
    const uint32_t status = 0x80 + 0x10 * in.below(4) + (in.flag() ? 0x30 : 0);  // 0x80 0x90 0xA0 0xB0 0xC0..
    const uint32_t channel = 1 + in.below(16), data1 = in.below(128), data2 = in.below(128);
    const MidiShortMessage word = packMidiMessage(status, channel, data1, data2);
    FUZZ_CHECK((word & 0xF0) == status);
    FUZZ_CHECK((word & 0x0F) + 1 == channel);
    FUZZ_CHECK(((word >> 8) & 0xFF) == data1);
    FUZZ_CHECK(((word >> 16) & 0xFF) == data2);
    FUZZ_CHECK((word >> 24) == 0);
}

// The hand-over ring against a plain queue, on one thread.
void checkInputQueue(FuzzReader& in) {
    static MidiInputQueue queue;
    queue.head = 0;
    queue.tail = 0;
    std::deque<std::pair<uint32_t, uint32_t>> model;
    for (int step = 0; step < 64 && !in.empty(); ++step) {
        const uint8_t op = in.byte();
        const int repeat = 1 + (op >> 1) % 32;
        for (int r = 0; r < repeat * 4; ++r) {
            if ((op & 1) == 0) {
                const uint32_t word = static_cast<uint32_t>(model.size() * 3 + static_cast<std::size_t>(r));
                const bool pushed = pushMidiInput(queue, word, word * 7);
                FUZZ_CHECK(pushed == (model.size() < kMidiInputQueueSlots));
                if (pushed) model.emplace_back(word, word * 7);
            } else {
                uint32_t word = 0, timestamp = 0;
                const bool popped = popMidiInput(queue, word, timestamp);
                FUZZ_CHECK(popped == !model.empty());
                if (!popped) continue;
                FUZZ_CHECK(word == model.front().first && timestamp == model.front().second);
                model.pop_front();
            }
            FUZZ_CHECK(pendingMidiInput(queue) == model.size());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzReader in(data, size);
    const uint8_t part = in.byte();
    if (part % 4 == 0) {
        checkJson(in.rest());
    } else if (part % 4 == 1) {
        const uint32_t word = in.u32();
        checkMidiWord(word, in.u32());
        checkMidiBytes(in.bytes(in.below(5)));
    } else if (part % 4 == 2) {
        checkPack(in);
        checkMidiBytes(in.rest());
    } else {
        checkInputQueue(in);
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds;
    for (const char* name : {"Midi Through Port-0", "odd \"q\" \\ \t\n\xC3\xA9 \xFF", "\xF0\x9F\x8E\xB9 keys",
                             "\xE0\x80\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xC3"}) {
        seeds.push_back(FuzzWriter().byte(0).bytes(name).str());
    }
    for (MidiShortMessage word : {packMidiMessage(kMidiNoteOn, 1, 60, 127), packMidiMessage(kMidiNoteOn, 16, 60, 0),
                                  packMidiMessage(kMidiControlChange, 3, 123, 0), packMidiMessage(kMidiProgramChange, 2, 5, 0),
                                  MidiShortMessage{0xF8}, MidiShortMessage{0x4000E1}}) {
        unsigned char wire[3];
        const std::size_t length = shortMessageBytes(word, wire);
        seeds.push_back(FuzzWriter().byte(1).u32(word).u32(1532).byte(static_cast<uint8_t>(length))
                            .bytes(std::string(reinterpret_cast<const char*>(wire), length)).str());
    }
    seeds.push_back(FuzzWriter().byte(2).byte(1).byte(0).byte(5).byte(60).byte(127).bytes("\x90\x3C\x7F").str());
    seeds.push_back(FuzzWriter().byte(3).byte(254).byte(255).byte(200).byte(1).str());
    return seeds;
}
