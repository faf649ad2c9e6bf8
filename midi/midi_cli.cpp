#include "midi_cli.h"

// Placeholder until the MIDI modes land: every MIDI mode word is refused.
int runMidiCommandLine(const ArgumentVector&) { return 2; }
