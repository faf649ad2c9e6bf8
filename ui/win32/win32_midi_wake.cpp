#include "win32_midi_wake.h"

void postMidiWakeMessage(void* window) { PostMessageW(static_cast<HWND>(window), kMidiInputMessage, 0, 0); }
