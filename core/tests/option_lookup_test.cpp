#include <gtest/gtest.h>

#include "core/option_lookup.h"

TEST(OptionLookup, FirstMatchAfterTheModeWordWithAValueWins) {
    const ArgumentVector args = {"lumibox", "--send", "--value", "10", "--value", "20", "--channel"};
    EXPECT_EQ(optionValue(args, "--value", "255"), "10");
    EXPECT_EQ(optionValue(args, "--channel", "1"), "1") << "an option in last position has no value";
    EXPECT_EQ(optionValue(args, "--pulse", "200"), "200");
    EXPECT_EQ(optionValue(args, "--VALUE", "x"), "x") << "names are case-sensitive";
    EXPECT_EQ(optionValue({"lumibox", "--value", "5"}, "--value", "255"), "255") << "element 1 is the mode word";
    EXPECT_EQ(optionValue({"lumibox", "--send", "--value=5"}, "--value", "255"), "255");
    EXPECT_EQ(optionValue({"lumibox", "--send", "--output", "--port"}, "--output", "f"), "--port")
        << "a value may look like an option";
    EXPECT_EQ(optionValue({}, "--value", "255"), "255");

    constexpr CommandLineOption kFlag{"--poll", "", "", "Poll"};
    EXPECT_TRUE(kFlag.isFlag());
    EXPECT_TRUE(flagIsSet({"lumibox", "--scan", "--poll"}, kFlag)) << "a flag needs no value after it";
    EXPECT_TRUE(flagIsSet({"lumibox", "--scan", "--poll", "--listen-ms", "100"}, kFlag));
    EXPECT_FALSE(flagIsSet({"lumibox", "--poll"}, kFlag)) << "element 1 is the mode word";
    EXPECT_FALSE(flagIsSet({"lumibox", "--scan", "--Poll", "--poll=1"}, kFlag));
}

TEST(OptionLookup, TableEntryGivesTheFallbackAndChecksTheRange) {
    constexpr CommandLineOption kRanged{"--pulse", "MS", "200", "Pulse length", 30, 60000};
    constexpr CommandLineOption kOpenEnded{"--port", "N", "-1", "Port index", 0, kNoUpperBound};
    constexpr CommandLineOption kUnranged{"--universe", "N", "100", "Universe"};
    struct Case {
        const CommandLineOption* option;
        ArgumentVector args;
        std::optional<int32_t> expected;
    };
    const Case cases[] = {
        {&kRanged, {"lumibox", "--send"}, 200},
        {&kRanged, {"lumibox", "--send", "--pulse", "30"}, 30},
        {&kRanged, {"lumibox", "--send", "--pulse", "60000"}, 60000},
        {&kRanged, {"lumibox", "--send", "--pulse", "29"}, std::nullopt},
        {&kRanged, {"lumibox", "--send", "--pulse", "60001"}, std::nullopt},
        {&kRanged, {"lumibox", "--send", "--pulse", "45ms"}, 45},
        {&kRanged, {"lumibox", "--send", "--pulse", "ms"}, std::nullopt},
        {&kRanged, {"lumibox", "--send", "--pulse"}, 200},
        {&kOpenEnded, {"lumibox", "--midi-send"}, std::nullopt},  // the fallback itself is out of range
        {&kOpenEnded, {"lumibox", "--midi-send", "--port", "0"}, 0},
        {&kOpenEnded, {"lumibox", "--midi-send", "--port", "2147483647"}, 2147483647},
        {&kOpenEnded, {"lumibox", "--midi-send", "--port", "-2147483648"}, std::nullopt},
        {&kUnranged, {"lumibox", "--self-test", "--universe", "-5"}, -5},
        {&kUnranged, {"lumibox", "--self-test", "--universe", "2147483648"}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += a + ' ';
        EXPECT_EQ(numericOptionValue(c.args, *c.option), c.expected) << joined;
        EXPECT_EQ(optionValue(c.args, *c.option), optionValue(c.args, c.option->name, c.option->fallback)) << joined;
    }
}
