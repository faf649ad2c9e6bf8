#pragma once
// "1-16,100": sACN universe numbers and ranges separated by commas, as the --universes of
// --scan and --record and the Network window's field take them.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

inline constexpr int32_t kFirstListedUniverse = 1;
inline constexpr int32_t kLastListedUniverse = 63999;

// The universes in ascending order, each once; empty or blank text is no universe at
// all. nullopt when an item does not read or lies outside 1 to 63999.
std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text);
