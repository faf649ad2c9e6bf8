// Stands in for the Win32 window (win32_main_window.cpp) until it lands; CMake builds this
// file only while that one does not exist. The window path ends at once, and not with 0,
// so that no script mistakes it for a window that opened and closed.
#include "win32_main_window.h"

int runMainWindow(HINSTANCE, int) { return 1; }
