#pragma once
// The Qt front end of the main window: the widgets made from the control table, the
// 10 ms timer and the MIDI wake-up around the shared engines (ui/window_procedure.h).
// Tests drive these functions on a real window without an event loop.
#include <cstdint>
#include <functional>
#include <memory>

#include "../../core/dmx_universe_state.h"
#include "../window_procedure.h"
#include "midi_wake_signal.h"
#include "qt_application.h"
#include "window_widgets.h"

class QTimer;
class WindowHost;

struct MainWindow {
    explicit MainWindow(DmxUniverseState& universe) : engines(universe) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    WindowEngines engines;
    MidiWakeSignal midiWake;
    WindowHost* host = nullptr;  // owns every control
    WindowWidgets widgets;
    QTimer* timer = nullptr;
};

struct MainWindowOptions {
    bool startTimer = true;           // tests run the ticks themselves
    std::function<uint64_t()> clock;  // empty: tickCountMs
};

// Builds the window, its controls and both views, fills the port selectors, shows the
// DMX page and starts the timer. The window is not shown yet.
std::unique_ptr<MainWindow> createMainWindow(DmxUniverseState& state, MainWindowOptions options = {});

// A button's command with its notification code: the engine operation, then the page
// switch or the level cells it changed.
void handleWindowCommand(MainWindow& window, int id, int notification);

// The timer: one tick of the engines, then the level cells it changed.
void handleWindowTick(MainWindow& window);

// The close event: stops the timer and the engines. Runs once.
void closeMainWindow(MainWindow& window);
