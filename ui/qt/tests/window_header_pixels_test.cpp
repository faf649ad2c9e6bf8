// Qt's level table header is 26 pixels high: its flat band reaches down to the first row
// (the look both windows share: ui/tests/window_pixels_test.cpp).
#include <gtest/gtest.h>

#include "window_test_support.h"

namespace {

TEST(WindowQt, LevelTableHeaderBandReachesTheRows) {
    QtWindowDriver t;
    EXPECT_EQ(countColour(t.picture(), 20, 344, 8, 26, 0x172335, 0), 8 * 26) << "the band before the first title";
}

}  // namespace
