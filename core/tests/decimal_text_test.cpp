#include <gtest/gtest.h>

#include "core/decimal_text.h"

TEST(DecimalText, ReadsLikeTheStandardConversion) {
    struct Case { const char* text; std::optional<int32_t> expected; };
    const Case cases[] = {
        {"12abc", 12}, {" -5", -5}, {"\t+7", 7}, {"0", 0}, {"00042", 42},
        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"99999999999", std::nullopt},
        {"abc", std::nullopt}, {"", std::nullopt}, {"   ", std::nullopt}, {"-", std::nullopt},
        {"+-1", std::nullopt}, {"- 1", std::nullopt}, {"0x10", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(decimalToInt32(c.text), c.expected) << '"' << c.text << '"';
}
