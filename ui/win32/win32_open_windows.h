#pragma once
// The windows of the program that are open (the main window and the Network window,
// together in one process): the message loop ends when the last one is destroyed, and
// Ctrl+C, Ctrl+Break or closing the console (lumibox.com's, which the program then
// shares) closes every one of them the way its close button does, so the engines stop in
// their order and the exit code is 0.
#include <windows.h>

void countWindowOpened(HWND window);
void countWindowDestroyed(HWND window);

// Shows the window and runs the message loop until the last window is destroyed, with
// the console events taken over meanwhile; 0.
int runWindowsUntilClosed(HWND first, int showCommand);

// From now on the first Ctrl+C, Ctrl+Break or console close posts WM_CLOSE to every open
// window; a second one while they close is left to the system, which ends the process.
// Closing the console ends the process once the handler returns, so for that one the
// handler waits until restoreConsoleEvents, within the time the system gives it.
void closeWindowsOnConsoleEvents();
// The console events have their usual effect again.
void restoreConsoleEvents();

// The handler, run by the system on a thread of its own: TRUE when it took the event.
BOOL WINAPI closeWindowsOnConsoleEvent(DWORD event);
