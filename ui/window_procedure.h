#pragma once
// Where the window's events meet the engines, for every front end: which operation a
// control's command runs, the 10 ms tick in its fixed order and the shutdown on close.
// A front end forwards its notifications here, shows the page it is told to and
// repaints; it holds no engine logic of its own.
#include <cstdint>
#include <functional>

#include "../core/dmx_universe_state.h"
#include "../midi/midi_engine.h"
#include "../net/dmx/dmx_network_engine.h"
#include "window_controls.h"

inline constexpr int kTickPeriodMs = 10;

// Notification codes a button reports with its command (BN_CLICKED, BN_DOUBLECLICKED).
inline constexpr int kClickNotification = 0;
inline constexpr int kDoubleClickNotification = 5;

// The engines the window owns, all on the user-interface thread. The front end fills
// in both views and the clock (tickCountMs).
struct WindowEngines {
    explicit WindowEngines(DmxUniverseState& universe) : state(universe) {}
    WindowEngines(const WindowEngines&) = delete;
    WindowEngines& operator=(const WindowEngines&) = delete;

    DmxUniverseState& state;
    DmxNetworkEngine dmx;
    DmxView dmxView;
    MidiEngine midi;  // holds its own view
    MidiClock clock;  // the monotonic millisecond tick count
    bool stopped = false;  // after stopWindowEngines nothing runs any more
};

// Which operation a command runs. Most buttons act on a plain click only; Reset
// network and the two page buttons act on any notification.
enum class WindowCommand {
    Nothing,
    ShowDmxPage,
    ShowMidiPage,
    MidiCommand,  // handed to the MIDI engine with the id
    ResetNetwork,
    ToggleReceive,
    ContinuousTx,
    SendValue,
    PulseToZero,
    AllToZero,
};
WindowCommand commandFor(int id, int notification);

// At the end of building the window: both level columns (all cells "0") and the port
// selectors.
void fillEngineViews(WindowEngines& engines);

// A command from control id with its notification code. Returns the page the front
// end is to show, None when the page stays.
ControlPage runWindowCommand(WindowEngines& engines, int id, int notification);

// One timer tick: MIDI rows handed over, the end of a due MIDI pulse, the MIDI status,
// the DMX receive poll, the DMX transmit step and the DMX status, in this order.
void runWindowTick(WindowEngines& engines);

// Close: MIDI ports, then transmit (a pending pulse sends its zeros), then receive.
// Runs once; false when the engines had stopped already.
bool stopWindowEngines(WindowEngines& engines);
