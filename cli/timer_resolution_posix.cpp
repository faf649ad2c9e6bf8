#include "timer_resolution.h"

// Linux timers and sleeps are already precise to well under a millisecond.
FineTimerResolution::FineTimerResolution() { (void)raised_; }
FineTimerResolution::~FineTimerResolution() = default;
