#include "json_text.h"

#include <cstdint>

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0 when it is ill-formed.
// consumed is how many bytes belong to the ill-formed prefix (its maximal subpart),
// so that each such subpart becomes one replacement character.
size_t wellFormedLength(std::string_view text, size_t at, size_t& consumed) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    }
    consumed = 1;
    if (length == 0) return 0;
    for (size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) return 0;
        const auto byte = static_cast<unsigned char>(text[at + i]);
        const bool fits = i == 1 ? isContinuation(byte, low, high) : isContinuation(byte);
        if (!fits) return 0;
        consumed = i + 1;
    }
    return length;
}

void appendEscapedControl(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

std::string toUtf8Json(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 8);
    size_t at = 0;
    while (at < name.size()) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte < 0x80) {
            if (byte == '"' || byte == '\\') {
                out += '\\';
                out += static_cast<char>(byte);
            } else if (byte < 0x20) {
                appendEscapedControl(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++at;
            continue;
        }
        size_t consumed = 0;
        const size_t length = wellFormedLength(name, at, consumed);
        if (length == 0) {
            out += kReplacementCharacter;
            at += consumed;
        } else {
            out.append(name.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string toValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t consumed = 1;
        const size_t length = static_cast<unsigned char>(text[at]) < 0x80 ? 1 : wellFormedLength(text, at, consumed);
        if (length == 0) {
            out += kReplacementCharacter;
            at += consumed;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}
