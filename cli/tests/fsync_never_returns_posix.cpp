// Preloaded into lumibox by the test of an interrupted write: a flush to the disk never
// returns, so a signal finds the process in the middle of writing its file.
#include <unistd.h>

extern "C" int fsync(int) {
    for (;;) pause();
}
