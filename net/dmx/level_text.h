#pragma once
// Decimal texts of the 256 levels, made once: the level columns write 512 of them at a time.
#include <cstdint>
#include <string>

const std::string& levelText(uint8_t level);
