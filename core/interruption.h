#pragma once
// Interruptions of a command-line mode: SIGINT and SIGTERM (interruption_posix.cpp), Ctrl+C,
// Ctrl+Break and closing the console (interruption_win32.cpp).
//
// By default an interruption ends the process at once, as it would without a handler, after
// removing the temporary file of a whole-file write in progress, so that nothing half-written
// is left behind. A mode that holds something it must give back (a level on the wire, a
// sounding note, a ready file) takes interruptions itself while it holds it: it sees
// interruptionRequested(), releases what it holds, and then calls endIfInterrupted(), so
// that a script still sees the interruption (a shell reports 128 + the signal's number).
#include <cstdint>
#include <filesystem>

// Installs the handlers; the command-line paths call it once, first.
void catchInterruptions();

// While on, an interruption only sets interruptionRequested() and wakes
// sleepUnlessInterrupted(); the mode then ends itself.
void takeInterruptions(bool on);
bool interruptionRequested();

// Ends the process the way the interruption would have ended it, when one came.
void endIfInterrupted();

// Sleeps for milliseconds; false, at once, when an interruption came before or meanwhile.
bool sleepUnlessInterrupted(uint32_t milliseconds);

// Files an interruption removes before it ends the process, a few at a time: whole_file.cpp
// names each temporary file here before creating it, and forgets it once it is renamed or
// removed. False when no more can be named.
bool removeOnInterruption(const std::filesystem::path& file);
void keepOnInterruption(const std::filesystem::path& file);
