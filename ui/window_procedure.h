#pragma once
// Where the window's events meet the engines: construction, command routing, the
// 10 ms tick, MIDI rows from the callback thread and the shutdown on close. The window
// holds no engine logic; tests drive these functions on a real window without an
// event loop.
#include <cstdint>
#include <functional>
#include <memory>

#include "../core/dmx_universe_state.h"
#include "../midi/midi_engine.h"
#include "../net/dmx_network_engine.h"
#include "midi_wake_signal.h"
#include "window_widgets.h"

class QTimer;
class WindowHost;

inline constexpr int kTickPeriodMs = 10;

struct MainWindow {
    explicit MainWindow(DmxUniverseState& universe) : state(universe) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    DmxUniverseState& state;
    DmxNetworkEngine dmx;
    DmxView dmxView;
    MidiEngine midi;  // holds its own view
    MidiWakeSignal midiWake;
    WindowHost* host = nullptr;  // owns every control
    WindowWidgets widgets;
    QTimer* timer = nullptr;
    std::function<uint64_t()> clock;  // the monotonic millisecond tick count
    bool engineStopped = false;
};

struct MainWindowOptions {
    bool startTimer = true;           // tests run the ticks themselves
    std::function<uint64_t()> clock;  // empty: tickCountMs
};

// Names the application "VelmoraLumibox" (the window class the desktop sees), points the
// desktop at the installed entry "com.velmora.Lumibox.desktop" and fixes the widget
// style, so the look does not follow the desktop theme.
void prepareApplication();

// Builds the window, its controls and both views, fills the port selectors, shows the
// DMX page and starts the timer. The window is not shown yet.
std::unique_ptr<MainWindow> createMainWindow(DmxUniverseState& state, MainWindowOptions options = {});

// A command from control id with its notification code.
void runWindowCommand(MainWindow& window, int id, int notification);

// One timer tick, in the fixed order.
void runWindowTick(MainWindow& window);

// Close: MIDI ports, then transmit (a pending pulse sends its zeros), then receive.
// Runs once; the window's close event calls it.
void stopWindowEngines(MainWindow& window);
