#pragma once
// The engines' view records, filled with the window's controls, and the texts of the
// controls as UTF-8.
#include <windows.h>

#include <string>

#include "../../midi/midi_view.h"
#include "../../net/dmx/dmx_view.h"

struct Win32MainWindow;

DmxView makeDmxView(Win32MainWindow& window);
MidiView makeMidiView(Win32MainWindow& window);

// The whole text of any window or control.
std::wstring windowText(HWND control);

// The text of a field, label or button, or a selector's chosen entry, cut to the 255
// characters a window field holds; "" for an unknown id.
std::string controlText(const Win32MainWindow& window, int id);
// Labels keep their text when it is unchanged, so a status refresh that changes
// nothing does not repaint.
void setControlText(Win32MainWindow& window, int id, const std::string& text);

// The engines rewrite a whole column per packet: a shown level table stops drawing at
// the first changed cell of a message's work and is drawn once when the work is done.
void releaseLevelTableDrawing(Win32MainWindow& window);
