#pragma once
// Base-10 text to a signed 32-bit integer, the way the standard conversion reads it:
// leading white space, one optional sign, digits up to the first non-digit.
#include <cstdint>
#include <optional>
#include <string_view>

// Empty when there are no digits or the value does not fit 32 bits.
std::optional<int32_t> decimalToInt32(std::string_view text);
