#include "json_reader.h"

#include <charconv>
#include <cstdint>

namespace {

struct Reader {
    std::string_view text;
    std::size_t at = 0;

    void skipBlanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
    }
    bool take(char c) {
        skipBlanks();
        if (at >= text.size() || text[at] != c) return false;
        ++at;
        return true;
    }
    bool word(std::string_view w) {
        if (text.substr(at, w.size()) != w) return false;
        at += w.size();
        return true;
    }
};

bool readValue(Reader& r, JsonValue& value, int depth);

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool readHex4(Reader& r, uint32_t& code) {
    if (r.at + 4 > r.text.size()) return false;
    const auto [end, error] = std::from_chars(r.text.data() + r.at, r.text.data() + r.at + 4, code, 16);
    if (error != std::errc() || end != r.text.data() + r.at + 4) return false;
    r.at += 4;
    return true;
}

// \uXXXX, a surrogate pair taken whole; a lone surrogate becomes U+FFFD.
bool readEscapedCode(Reader& r, std::string& out) {
    uint32_t code = 0;
    if (!readHex4(r, code)) return false;
    if (code >= 0xD800 && code < 0xDC00 && r.word("\\u")) {
        uint32_t low = 0;
        if (!readHex4(r, low)) return false;
        code = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00) : 0xFFFD;
    } else if (code >= 0xD800 && code < 0xE000) {
        code = 0xFFFD;
    }
    appendUtf8(out, code);
    return true;
}

bool readText(Reader& r, std::string& out) {
    if (!r.take('"')) return false;
    while (r.at < r.text.size()) {
        const char c = r.text[r.at++];
        if (c == '"') return true;
        if (static_cast<unsigned char>(c) < 0x20) return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (r.at >= r.text.size()) return false;
        const char e = r.text[r.at++];
        static constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
        if (const std::size_t k = kFrom.find(e); k != std::string_view::npos) {
            out += kTo[k];
        } else if (e != 'u' || !readEscapedCode(r, out)) {
            return false;
        }
    }
    return false;
}

bool readNumber(Reader& r, double& number) {
    const std::size_t start = r.at;
    auto digits = [&] {
        const std::size_t from = r.at;
        while (r.at < r.text.size() && r.text[r.at] >= '0' && r.text[r.at] <= '9') ++r.at;
        return r.at - from;
    };
    if (r.at < r.text.size() && r.text[r.at] == '-') ++r.at;
    const std::size_t intStart = r.at;
    const std::size_t intDigits = digits();
    if (intDigits == 0 || (intDigits > 1 && r.text[intStart] == '0')) return false;
    if (r.at < r.text.size() && r.text[r.at] == '.' && (++r.at, digits() == 0)) return false;
    if (r.at < r.text.size() && (r.text[r.at] == 'e' || r.text[r.at] == 'E')) {
        ++r.at;
        if (r.at < r.text.size() && (r.text[r.at] == '+' || r.text[r.at] == '-')) ++r.at;
        if (digits() == 0) return false;
    }
    const auto [end, error] = std::from_chars(r.text.data() + start, r.text.data() + r.at, number);
    return error == std::errc() && end == r.text.data() + r.at;
}

// "[", or "{", already taken; reads up to the closing bracket.
bool readItems(Reader& r, JsonValue& value, int depth, char close) {
    if (r.take(close)) return true;
    do {
        if (close == '}') {
            value.names.emplace_back();
            if (!readText(r, value.names.back()) || !r.take(':')) return false;
        }
        value.items.emplace_back();
        if (!readValue(r, value.items.back(), depth + 1)) return false;
    } while (r.take(','));
    return r.take(close);
}

bool readValue(Reader& r, JsonValue& value, int depth) {
    if (depth > kJsonMaxDepth) return false;
    r.skipBlanks();
    if (r.at >= r.text.size()) return false;
    const char c = r.text[r.at];
    using Kind = JsonValue::Kind;
    if (c == '{' || c == '[') {
        ++r.at;
        value.kind = c == '{' ? Kind::Object : Kind::Array;
        return readItems(r, value, depth, c == '{' ? '}' : ']');
    }
    if (c == '"') {
        value.kind = Kind::Text;
        return readText(r, value.text);
    }
    if (r.word("null")) return true;
    if (r.word("true") || r.word("false")) {
        value.kind = Kind::Boolean;
        value.boolean = r.text[r.at - 1] == 'e' && r.text[r.at - 2] == 'u';
        return true;
    }
    value.kind = Kind::Number;
    return readNumber(r, value.number);
}

}  // namespace

const JsonValue* JsonValue::member(std::string_view name) const {
    if (kind != Kind::Object) return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return &items[i];
    }
    return nullptr;
}

std::optional<JsonValue> parseJson(std::string_view text) {
    Reader reader{text};
    JsonValue value;
    if (!readValue(reader, value, 0)) return std::nullopt;
    reader.skipBlanks();
    if (reader.at != text.size()) return std::nullopt;
    return value;
}
