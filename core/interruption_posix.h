#pragma once
// What the POSIX interruption handler offers the interruptible sleep
// (interruptible_sleep_posix.cpp), which is a file of its own so that a program with a
// scripted clock (the fuzz targets) can link its own sleep instead.

// Turns readable at an interruption and stays so; -1 before catchInterruptions.
int interruptionWakeDescriptor();
