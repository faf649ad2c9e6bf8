#include "timer_resolution.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
constexpr UINT kFinestPeriodMs = 1;
}

FineTimerResolution::FineTimerResolution() : raised_(timeBeginPeriod(kFinestPeriodMs) == TIMERR_NOERROR) {}

FineTimerResolution::~FineTimerResolution() {
    if (raised_) timeEndPeriod(kFinestPeriodMs);
}
