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
}
