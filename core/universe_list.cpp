#include "universe_list.h"

#include <bitset>

namespace {

constexpr std::size_t decimalDigits(int32_t value) { return value < 10 ? 1 : 1 + decimalDigits(value / 10); }

// More digits than the largest universe has is no universe, leading zeros included.
std::optional<int32_t> universeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > decimalDigits(kLastListedUniverse)) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < kFirstListedUniverse || value > kLastListedUniverse) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::vector<uint16_t>> parseUniverseList(std::string_view text) {
    std::vector<uint16_t> universes;
    if (text.find_first_not_of(' ') == std::string_view::npos) return universes;
    std::bitset<static_cast<std::size_t>(kLastListedUniverse) + 1> wanted;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = universeNumber(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : universeNumber(item.substr(dash + 1));
        if (!first || !last || *first > *last) return std::nullopt;
        for (int32_t u = *first; u <= *last; ++u) wanted.set(static_cast<std::size_t>(u));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    for (std::size_t u = static_cast<std::size_t>(kFirstListedUniverse); u < wanted.size(); ++u) {
        if (wanted.test(u)) universes.push_back(static_cast<uint16_t>(u));
    }
    return universes;
}
