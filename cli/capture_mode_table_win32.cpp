// No pcap library serves the Windows build, so neither mode exists there.
#include "capture_modes.h"

std::span<const CommandLineMode> builtCaptureModes() { return {}; }
