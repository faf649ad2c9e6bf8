#include "slot_values.h"

#include "universe_list.h"

std::optional<SlotValues> parseSlotValues(std::string_view text, int32_t maxValue) {
    if (text.find_first_not_of(' ') == std::string_view::npos) return std::nullopt;
    SlotValues values{};
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const auto slots = parseNumberList(item.substr(0, equals), 1, kDmxSlotCount);
        const auto value = parseListNumber(item.substr(equals + 1), 0, maxValue);
        if (!slots || slots->empty() || !value) return std::nullopt;
        for (uint16_t slot : *slots) values[slot - 1u] = static_cast<uint8_t>(*value);
        if (comma == std::string_view::npos) return values;
        text.remove_prefix(comma + 1);
    }
}
