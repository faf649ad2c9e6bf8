#pragma once
// Wall-clock time for documents: milliseconds since 1970 (UTC) and their ISO 8601 text.
#include <cstdint>
#include <string>

int64_t unixMilliseconds();

// "2026-12-08T07:25:00.123Z": proleptic Gregorian calendar, UTC, millisecond precision.
std::string isoUtcText(int64_t unixMs);
