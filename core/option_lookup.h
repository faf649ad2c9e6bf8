#pragma once
// Command-line option lookup shared by every command-line mode.
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using ArgumentVector = std::vector<std::string>;  // element 0 the program, 1 the mode word

// One option of a mode. The parser takes its fallback and range from here and --help
// prints the same entry, so the two cannot drift apart.
struct CommandLineOption {
    std::string_view name;         // "--channel"
    std::string_view placeholder;  // what the value is, for the usage text: "N", "PATH"; empty for a flag
    std::string_view fallback;     // the value when the option is absent
    std::string_view meaning;      // one line of help, without the range
    int32_t min = 1;               // numeric range, checked only when min <= max
    int32_t max = 0;

    constexpr bool hasRange() const { return min <= max; }
    // A flag takes no value and is off when absent.
    constexpr bool isFlag() const { return placeholder.empty(); }
};

inline constexpr int32_t kNoUpperBound = std::numeric_limits<int32_t>::max();

struct ExitCodeMeaning {
    int code;
    std::string_view meaning;
};

// One key of the JSON a mode prints or writes.
struct OutputKey {
    std::string_view name;
    std::string_view meaning;
};

// A mode word with its options and the exit codes it can end with, as --help lists them.
struct CommandLineMode {
    std::string_view word;  // "--send"
    std::string_view summary;
    std::span<const CommandLineOption* const> options;
    std::span<const ExitCodeMeaning> exitCodes;
    std::string_view argument = {};  // what stands right after the word, such as "FILE"; empty for none
    std::span<const OutputKey> outputKeys = {};  // the keys of what it prints, where --help lists them
};

// The element after the first exact match of name among elements 2 .. count-2, else fallback.
std::string optionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback);
std::string optionValue(const ArgumentVector& args, const CommandLineOption& option);

// A flag is on when its name stands anywhere after the mode word, the last element included.
bool flagIsSet(const ArgumentVector& args, const CommandLineOption& flag);

// The option read as a base-10 number; empty when it has no digits or does not fit 32 bits.
std::optional<int32_t> numericOptionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback);
// The same, also empty when the number lies outside the option's range.
std::optional<int32_t> numericOptionValue(const ArgumentVector& args, const CommandLineOption& option);
