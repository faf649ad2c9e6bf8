#include <signal.h>

#include "broken_pipe.h"

// Writes to a pipe without a reader then fail with EPIPE, which the file streams report.
void ignoreBrokenPipeSignal() { signal(SIGPIPE, SIG_IGN); }
