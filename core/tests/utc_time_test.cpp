// Dates checked against `date -u -d @SECONDS`.
#include <gtest/gtest.h>

#include "core/utc_time.h"

TEST(UtcTime, IsoTextOfKnownInstants) {
    struct Case { int64_t ms; const char* text; };
    const Case cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {951782400000, "2000-02-29T00:00:00.000Z"},         // leap day of a century divisible by 400
        {4107542399999, "2100-02-28T23:59:59.999Z"},        // 2100 has no 29 February
        {1796714700123, "2026-12-08T07:25:00.123Z"},
        {-1, "1969-12-31T23:59:59.999Z"},
    };
    for (const Case& c : cases) EXPECT_EQ(isoUtcText(c.ms), c.text) << c.ms;
}
