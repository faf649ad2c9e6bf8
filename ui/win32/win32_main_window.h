#pragma once
// The window path of program entry on Windows (cli/main_win32.cpp).
#include <windows.h>

// Registers the window class, creates the main window with the initial show command and
// runs the message loop until the window is closed; returns the exit code.
int runMainWindow(HINSTANCE instance, int showCommand);
