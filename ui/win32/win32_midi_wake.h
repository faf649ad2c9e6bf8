#pragma once
// Wakes the window's thread when the MIDI thread has queued input: the MIDI engine's
// wake-up hook posts WM_APP + 7 to the main window, and the window procedure answers it
// with drainMidiInput. The words and time stamps travel in the engine's input queue, not
// in the message, and the engine posts once per idle-to-busy change, so the window's
// queue holds at most one of these at a time. A post that fails is made good by the
// drain of the next timer tick.
#include <windows.h>

inline constexpr UINT kMidiInputMessage = WM_APP + 7;

// The hook for setMidiInputWakeUp; context is the main window (HWND). Safe on the MIDI
// service's thread: it only posts, never waits or allocates.
void postMidiWakeMessage(void* window);
