#include "main_window.h"

// Placeholder until the window lands: no window can be created yet.
int runMainWindow(int, char**, DmxUniverseState&) { return 1; }
