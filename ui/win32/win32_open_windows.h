#pragma once
// The windows of the program that are open (the main window and the Network window,
// together in one process): the message loop ends when the last one is destroyed, and
// Ctrl+C, Ctrl+Break or closing the console (lumibox.com's, which the program then
// shares) closes every one of them the way its close button does, so the engines stop in
// their order and the exit code is 0.
#include <windows.h>

void countWindowOpened(HWND window);
void countWindowDestroyed(HWND window);

// Shows the window, runs the message loop until the last window is destroyed, taking the
// console events over meanwhile; 0.
int runWindowsUntilClosed(HWND first, int showCommand);

// The console's handler, run by the system on a thread of its own: the first event of
// these posts WM_CLOSE to every open window (TRUE); a second one while they close is left
// to the system, which ends the process (FALSE). For the console being closed it waits
// until the windows are gone, for the process ends when it returns.
BOOL WINAPI closeWindowsOnConsoleEvent(DWORD event);
