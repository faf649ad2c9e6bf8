#include "frame_schedule.h"

uint64_t frameDeadlineUs(const FrameSchedule& schedule, uint64_t index) {
    return schedule.startUs + index * 1000000u / schedule.rate;
}

void recordFrameSent(FrameSchedule& schedule, uint64_t sentUs) {
    const uint64_t deadline = nextFrameDeadlineUs(schedule);
    const uint64_t lateness = sentUs > deadline ? sentUs - deadline : 0;
    if (lateness > schedule.maxLatenessUs) schedule.maxLatenessUs = lateness;
    ++schedule.sent;
    if (lateness > kLateFrameUs) ++schedule.late;
    uint64_t following = schedule.next + 1;
    if (sentUs >= schedule.startUs) {
        // The first index whose deadline lies after sentUs, or the one before it (rounding).
        const uint64_t passed = (sentUs - schedule.startUs) * schedule.rate / 1000000u + 1;
        if (passed > following) following = passed;
        while (frameDeadlineUs(schedule, following) <= sentUs) ++following;
    }
    schedule.skipped += following - schedule.next - 1;
    schedule.next = following;
}

bool takeIfDue(uint64_t& dueUs, uint64_t periodUs, uint64_t deadlineUs) {
    if (deadlineUs < dueUs) return false;
    dueUs += ((deadlineUs - dueUs) / periodUs + 1) * periodUs;
    return true;
}
