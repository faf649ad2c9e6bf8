#include "capture_modes.h"
#include "capture_options.h"
#include "record_cli.h"
#include "replay_cli.h"

bool isCaptureMode(const ArgumentVector& args) {
    return args.size() > 1 && (args[1] == capture_options::kRecord || args[1] == capture_options::kReplay);
}

int runCaptureMode(const ArgumentVector& args) {
    return args[1] == capture_options::kRecord ? runRecord(args) : runReplay(args);
}
