#pragma once
// Command-line option lookup shared by every command-line mode.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using ArgumentVector = std::vector<std::string>;  // element 0 the program, 1 the mode word

// The element after the first exact match of name among elements 2 .. count-2, else fallback.
std::string optionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback);

// The option read as a base-10 number; empty when it has no digits or does not fit 32 bits.
std::optional<int32_t> numericOptionValue(const ArgumentVector& args, std::string_view name, std::string_view fallback);
