#include "universe_list.h"

#include <bitset>

namespace {

constexpr std::size_t decimalDigits(int32_t value) { return value < 10 ? 1 : 1 + decimalDigits(value / 10); }

}  // namespace

// More digits than the largest number has is no number, leading zeros included.
std::optional<int32_t> parseListNumber(std::string_view text, int32_t first, int32_t last) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > decimalDigits(last)) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < first || value > last) return std::nullopt;
    return value;
}

std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text) {
    return parseNumberList(text, kFirstListedUniverse, kLastListedUniverse);
}

std::optional<std::vector<uint16_t>> parseNumberList(std::string_view text, int32_t firstNumber, int32_t lastNumber) {
    std::vector<uint16_t> universes;
    if (text.find_first_not_of(' ') == std::string_view::npos) return universes;
    std::bitset<65536> wanted;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = parseListNumber(item.substr(0, dash), firstNumber, lastNumber);
        const auto last = dash == std::string_view::npos ? first : parseListNumber(item.substr(dash + 1), firstNumber, lastNumber);
        if (!first || !last || *first > *last) return std::nullopt;
        for (int32_t u = *first; u <= *last; ++u) wanted.set(static_cast<std::size_t>(u));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    for (auto u = static_cast<std::size_t>(firstNumber); u <= static_cast<std::size_t>(lastNumber); ++u) {
        if (wanted.test(u)) universes.push_back(static_cast<uint16_t>(u));
    }
    return universes;
}
