#include <gtest/gtest.h>

#include "run_binary.h"

TEST(DmxCli, SelfTestExitCodes) {
    EXPECT_EQ(runBinary(LUMIBOX_BINARY, {"--self-test"}), 0);
}
