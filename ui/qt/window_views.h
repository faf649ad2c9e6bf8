#pragma once
// The engines' view records, filled with the window's controls.
#include "../../midi/midi_view.h"
#include "../../net/dmx/dmx_view.h"

struct WindowWidgets;

DmxView makeDmxView(WindowWidgets& widgets);
MidiView makeMidiView(WindowWidgets& widgets);
