#pragma once
// The universe list of --scan and --serve: "1-16,100", numbers and ranges of sACN universes.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Sorted, without duplicates; empty for empty or blank text; nothing when any item does not
// read or lies outside 1 to 63999.
std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text);
