#include "../core/exit_codes.h"
#include "serve_cli.h"

// The HTTP library comes from Debian, which builds it for Linux only: on Windows the mode
// word is refused like an unknown one.
int runServe(const ArgumentVector&) { return kInvalidArguments; }
