// The window path of the real binary where no display can be had: an exit code, not a crash.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/tests/run_binary.h"

namespace {

TEST(WindowBinary, NoDisplayEndsWithExitCodeOne) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    EXPECT_EQ(runBinary(LUMIBOX_BINARY, {}, 20000), 1);
}

}  // namespace
