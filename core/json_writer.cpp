#include "json_writer.h"

#include <cstdio>

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
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    raw(name, text);
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
