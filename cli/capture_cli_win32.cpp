// isCaptureMode is false here, as builtCaptureModes is empty.
#include "../core/exit_codes.h"
#include "capture_modes.h"

bool isCaptureMode(const ArgumentVector&) { return false; }
int runCaptureMode(const ArgumentVector&) { return kInvalidArguments; }
