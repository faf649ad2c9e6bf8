#pragma once
// JSON text to a tree, for the documents the program reads back (a --scan or --listen file
// as --source's snapshot). Strict RFC 8259 grammar; nesting deeper than kJsonMaxDepth,
// trailing text and invalid escapes are refused.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kJsonMaxDepth = 64;

struct JsonValue {
    enum class Kind { Null, Boolean, Number, Text, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;              // Text, as UTF-8
    std::vector<JsonValue> items;  // Array elements, or Object member values
    std::vector<std::string> names;  // Object member names, beside items

    // The first member of that name; nullptr when there is none or this is no object.
    const JsonValue* member(std::string_view name) const;
};

std::optional<JsonValue> parseJson(std::string_view text);
