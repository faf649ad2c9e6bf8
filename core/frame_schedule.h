#pragma once
// Frames at absolute deadlines: frame k is due at start + k / rate seconds, so no error
// adds up however long a run lasts. A frame that comes late goes at once and is counted;
// deadlines passed meanwhile are skipped, never made up by a burst. Pure: the caller
// reads the clock and waits.
#include <cstdint>

struct FrameSchedule {
    uint64_t startUs = 0;
    uint32_t rate = 44;  // frames per second, at least 1
    uint64_t next = 0;   // the index of the frame to send next
    uint64_t sent = 0;
    uint64_t late = 0;     // frames sent more than kLateFrameUs after their deadline
    uint64_t skipped = 0;  // deadlines passed over without a frame
    uint64_t maxLatenessUs = 0;
};

uint64_t frameDeadlineUs(const FrameSchedule& schedule, uint64_t index);
inline uint64_t nextFrameDeadlineUs(const FrameSchedule& schedule) { return frameDeadlineUs(schedule, schedule.next); }

// A frame this far behind its deadline counts as late: more than a receiver's jitter allows.
inline constexpr uint64_t kLateFrameUs = 1000;

// The next frame went out at sentUs. Moves on to the first deadline after sentUs.
void recordFrameSent(FrameSchedule& schedule, uint64_t sentUs);

// A repeating task on its own period: true when it is due at deadlineUs, and then moves
// dueUs past it by whole periods.
bool takeIfDue(uint64_t& dueUs, uint64_t periodUs, uint64_t deadlineUs);
