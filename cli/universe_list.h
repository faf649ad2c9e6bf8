#pragma once
// --universes: "1-16,100", numbers and ranges of sACN universes separated by commas, each
// within the option's range (scan_options::kUniverses). Shared by --scan and --record.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The universes in ascending order, each once; empty or blank text is no universe at all.
// Empty when an item does not read or lies outside the range.
std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text);
