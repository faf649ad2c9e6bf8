#include "json_writer.h"

#include <charconv>

#include "json_text.h"

void JsonWriter::open(char bracket) {
    out += bracket;
    first = true;
}

void JsonWriter::close(char bracket) {
    out += bracket;
    first = false;
}

void JsonWriter::key(std::string_view name) {
    if (!first) out += ',';
    first = false;
    out += '"';
    out += name;
    out += "\":";
}

void JsonWriter::element() {
    if (!first) out += ',';
    first = false;
}

void JsonWriter::raw(std::string_view name, std::string_view value) {
    key(name);
    out += value;
}

void JsonWriter::number(std::string_view name, uint64_t value) { raw(name, std::to_string(value)); }
void JsonWriter::number(std::string_view name, int64_t value) { raw(name, std::to_string(value)); }
void JsonWriter::number(std::string_view name, int value) { raw(name, std::to_string(value)); }

void JsonWriter::fixed(std::string_view name, double value) {
    // As "%.3f" writes it, without printf's cost: documents carry thousands of these.
    char text[400];  // room for DBL_MAX in fixed notation
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3).ptr;
    raw(name, std::string_view(text, static_cast<std::size_t>(end - text)));
}

void JsonWriter::flag(std::string_view name, bool value) { raw(name, value ? "true" : "false"); }

void JsonWriter::text(std::string_view name, std::string_view value) {
    key(name);
    out += '"';
    out += toUtf8Json(value);
    out += '"';
}

void JsonWriter::objectKey(std::string_view name, char bracket) {
    key(name);
    open(bracket);
}

void JsonWriter::numberElement(int64_t value) {
    element();
    out += std::to_string(value);
}
