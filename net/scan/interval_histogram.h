#pragma once
// Packet intervals of one stream in fixed buckets, counted since the start and over a
// sliding window of the last 10 s (five 2-s steps, the current one included), so that
// percentiles of any stream can be read without keeping its intervals. Adding an interval
// never allocates. The bucket edges include every edge /metrics publishes.
#include <array>
#include <cstddef>
#include <cstdint>

// Upper edges in microseconds (an interval equal to an edge falls in its bucket), one more
// bucket holding everything longer: 1 ms steps up to 30 ms, where DMX senders repeat (23 ms
// is 44 Hz), coarser beyond.
inline constexpr std::array<uint32_t, 51> kIntervalBucketEdgesUs = {
    250, 500, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000,
    9000, 10000, 11000, 12000, 13000, 14000, 15000, 16000, 17000, 18000,
    19000, 20000, 21000, 22000, 23000, 24000, 25000, 26000, 27000, 28000,
    29000, 30000, 35000, 40000, 45000, 50000, 60000, 75000, 100000, 150000,
    200000, 250000, 350000, 500000, 750000, 1000000, 1500000, 2000000, 2500000, 5000000,
    10000000};
inline constexpr std::size_t kIntervalBucketCount = kIntervalBucketEdgesUs.size() + 1;

inline constexpr uint64_t kIntervalStepUs = 2000000;
inline constexpr std::size_t kIntervalSteps = 5;  // the window: 8 to 10 s, by the step

struct IntervalHistogram {
    std::array<uint32_t, kIntervalBucketCount> counts{};  // since the start
    std::array<std::array<uint16_t, kIntervalBucketCount>, kIntervalSteps> recent{};  // saturating
    std::array<uint32_t, kIntervalSteps> recentMaxUs{};
    uint64_t step = 0;  // the step of the latest interval (time / kIntervalStepUs)
};

// Counts an interval that ended at nowUs (the arrival of its second packet).
void addInterval(IntervalHistogram& histogram, uint64_t intervalUs, uint64_t nowUs);

struct IntervalFigures {
    uint64_t intervals = 0;
    double p50Ms = 0;  // 0 without intervals
    double p99Ms = 0;
    double maxMs = 0;
};

// Percentiles interpolated within their bucket, never above the largest interval seen.
IntervalFigures intervalsSinceStart(const IntervalHistogram& histogram, uint64_t maxIntervalUs);
IntervalFigures recentIntervals(const IntervalHistogram& histogram, uint64_t nowUs);

// Intervals since the start up to each bucket's upper edge, that bucket included: what a
// cumulative histogram publishes.
std::array<uint64_t, kIntervalBucketCount> cumulativeIntervals(const IntervalHistogram& histogram);
// The bucket whose upper edge is edgeUs, one of kIntervalBucketEdgesUs.
std::size_t intervalBucketAt(uint32_t edgeUs);
