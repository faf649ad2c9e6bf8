#include "capture_modes.h"
#include "capture_options.h"

std::span<const CommandLineMode> builtCaptureModes() { return capture_options::kModes; }
