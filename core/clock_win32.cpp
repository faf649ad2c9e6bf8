// The Windows tick count: milliseconds since boot, 64 bits so it never wraps.
#include <windows.h>

#include "clock.h"

uint64_t tickCountMs() { return GetTickCount64(); }

void sleepMs(uint32_t milliseconds) { Sleep(milliseconds); }
