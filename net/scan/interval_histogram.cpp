#include "interval_histogram.h"

#include <algorithm>

namespace {

std::size_t bucketOf(uint64_t intervalUs) {
    return static_cast<std::size_t>(std::lower_bound(kIntervalBucketEdgesUs.begin(), kIntervalBucketEdgesUs.end(), intervalUs) -
                                    kIntervalBucketEdgesUs.begin());
}

// Starts the step of nowUs, emptying the steps that passed since the latest interval.
void advanceTo(IntervalHistogram& h, uint64_t step) {
    if (step <= h.step) return;
    const uint64_t passed = std::min<uint64_t>(step - h.step, kIntervalSteps);
    for (uint64_t i = 1; i <= passed; ++i) {
        const auto slot = static_cast<std::size_t>((h.step + i) % kIntervalSteps);
        h.recent[slot].fill(0);
        h.recentMaxUs[slot] = 0;
    }
    h.step = step;
}

// The q-quantile, interpolated linearly within its bucket as Prometheus does; the open
// last bucket ends at the largest interval.
double quantileMs(const std::array<uint64_t, kIntervalBucketCount>& counts, uint64_t total, double q, uint64_t maxUs) {
    if (total == 0) return 0;
    const double rank = q * static_cast<double>(total);
    uint64_t below = 0;
    for (std::size_t b = 0; b < counts.size(); ++b) {
        if (counts[b] == 0 || static_cast<double>(below + counts[b]) < rank) {
            below += counts[b];
            continue;
        }
        const double lower = b == 0 ? 0 : kIntervalBucketEdgesUs[b - 1];
        const double upper = b < kIntervalBucketEdgesUs.size() ? kIntervalBucketEdgesUs[b] : static_cast<double>(maxUs);
        const double us = lower + (upper - lower) * (rank - static_cast<double>(below)) / static_cast<double>(counts[b]);
        return std::min(us, static_cast<double>(maxUs)) / 1000.0;
    }
    return static_cast<double>(maxUs) / 1000.0;
}

IntervalFigures figures(const std::array<uint64_t, kIntervalBucketCount>& counts, uint64_t maxUs) {
    IntervalFigures f;
    for (uint64_t c : counts) f.intervals += c;
    f.p50Ms = quantileMs(counts, f.intervals, 0.5, maxUs);
    f.p99Ms = quantileMs(counts, f.intervals, 0.99, maxUs);
    f.maxMs = f.intervals > 0 ? static_cast<double>(maxUs) / 1000.0 : 0;
    return f;
}

}  // namespace

void addInterval(IntervalHistogram& h, uint64_t intervalUs, uint64_t nowUs) {
    advanceTo(h, nowUs / kIntervalStepUs);
    const std::size_t bucket = bucketOf(intervalUs);
    ++h.counts[bucket];
    const auto slot = static_cast<std::size_t>(h.step % kIntervalSteps);
    uint16_t& recent = h.recent[slot][bucket];
    if (recent != UINT16_MAX) ++recent;
    const uint32_t us = static_cast<uint32_t>(std::min<uint64_t>(intervalUs, UINT32_MAX));
    h.recentMaxUs[slot] = std::max(h.recentMaxUs[slot], us);
}

IntervalFigures intervalsSinceStart(const IntervalHistogram& h, uint64_t maxIntervalUs) {
    std::array<uint64_t, kIntervalBucketCount> counts{};
    std::copy(h.counts.begin(), h.counts.end(), counts.begin());
    return figures(counts, maxIntervalUs);
}

IntervalFigures recentIntervals(const IntervalHistogram& h, uint64_t nowUs) {
    const uint64_t nowStep = nowUs / kIntervalStepUs;
    std::array<uint64_t, kIntervalBucketCount> counts{};
    uint64_t maxUs = 0;
    // The steps kept are h.step and the four before it; those within the window of nowUs count.
    for (uint64_t back = 0; back < kIntervalSteps && back <= h.step; ++back) {
        const uint64_t step = h.step - back;
        if (step + kIntervalSteps <= nowStep) break;
        const auto slot = static_cast<std::size_t>(step % kIntervalSteps);
        for (std::size_t b = 0; b < counts.size(); ++b) counts[b] += h.recent[slot][b];
        maxUs = std::max<uint64_t>(maxUs, h.recentMaxUs[slot]);
    }
    return figures(counts, maxUs);
}

std::array<uint64_t, kIntervalBucketCount> cumulativeIntervals(const IntervalHistogram& h) {
    std::array<uint64_t, kIntervalBucketCount> below{};
    uint64_t sum = 0;
    for (std::size_t b = 0; b < below.size(); ++b) below[b] = sum += h.counts[b];
    return below;
}

std::size_t intervalBucketAt(uint32_t edgeUs) { return bucketOf(edgeUs); }
