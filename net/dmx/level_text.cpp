#include "level_text.h"

#include <array>

const std::string& levelText(uint8_t level) {
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> made;
        for (std::size_t i = 0; i < made.size(); ++i) made[i] = std::to_string(i);
        return made;
    }();
    return texts[level];
}
