#pragma once
// "1-24=255,25=128": slots and ranges of slots with one value each, as --source takes its
// levels pattern and its per-address priorities. Slots not named are 0.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "dmx_universe_state.h"

using SlotValues = std::array<uint8_t, kDmxSlotCount>;  // slot k at [k - 1]

// nullopt when the text is blank, or an item does not read, names a slot outside 1 to 512
// or a value above maxValue. A slot named twice keeps its last value.
std::optional<SlotValues> parseSlotValues(std::string_view text, int32_t maxValue);
