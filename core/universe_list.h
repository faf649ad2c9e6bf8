#pragma once
// "1-16,100": universe numbers and ranges separated by commas, as the --universes of
// --scan, --record and --source and the Network window's field take them.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

inline constexpr int32_t kFirstListedUniverse = 1;
inline constexpr int32_t kLastListedUniverse = 63999;

// The universes in ascending order, each once; empty or blank text is no universe at
// all. nullopt when an item does not read or lies outside 1 to 63999.
std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text);

// The same rules for numbers from first to last (at most 65535): Art-Net Port-Addresses are 0 to 32767.
std::optional<std::vector<uint16_t>> parseNumberList(std::string_view text, int32_t first, int32_t last);

// One number of such a list: ASCII digits between optional blanks, first to last.
std::optional<int32_t> parseListNumber(std::string_view text, int32_t first, int32_t last);
