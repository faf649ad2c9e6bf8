#pragma once
// The one JSON writer of every document the program writes (capture, port list, MIDI
// capture, scan): compact, members in the order written, a comma before every member or
// element but the first, text escaped by toUtf8Json.
#include <cstdint>
#include <string>
#include <string_view>

struct JsonWriter {
    std::string out;
    bool first = true;

    void open(char bracket);
    void close(char bracket);
    void key(std::string_view name);  // "name": after a comma where one is due
    void element();                   // a comma where one is due, before an array element
    void raw(std::string_view name, std::string_view value);
    void number(std::string_view name, uint64_t value);
    void number(std::string_view name, int64_t value);
    void number(std::string_view name, int value);
    void fixed(std::string_view name, double value);  // three decimals
    void flag(std::string_view name, bool value);
    void text(std::string_view name, std::string_view value);
    void objectKey(std::string_view name, char bracket);  // "name": then an open bracket
    void numberElement(int64_t value);
};
