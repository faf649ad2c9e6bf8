#pragma once
// The Qt front end of the Network window: the controls made from its table, the tables,
// the grid and legend painted from the engine's views, the 10 ms timer around the shared
// routing (ui/network_procedure.h), and the main window "Monitor this universe" opens in
// the same process. Tests drive these functions on a real window without an event loop.
#include <QTimer>
#include <functional>
#include <memory>
#include <unordered_map>

#include "../network_procedure.h"
#include "qt_main_window.h"
#include "window_widgets.h"

class LevelGridWidget;
class NetworkTableModel;
class QTableView;
class SourceLegendWidget;
class WindowHost;

struct NetworkWindow {
    NetworkWindow() = default;
    NetworkWindow(const NetworkWindow&) = delete;
    NetworkWindow& operator=(const NetworkWindow&) = delete;
    ~NetworkWindow();

    NetworkWindowEngines engines;
    WindowHost* host = nullptr;  // owns every control
    WindowWidgets widgets;       // the labels, fields and buttons by id
    std::unordered_map<int, QTableView*> tables;
    std::unordered_map<int, NetworkTableModel*> models;  // owned by their tables
    LevelGridWidget* grid = nullptr;
    SourceLegendWidget* legend = nullptr;
    QTimer* timer = nullptr;
    DmxUniverseState* state = nullptr;       // the main window's universe, with the process's CID
    std::unique_ptr<MainWindow> mainWindow;  // opened by "Monitor this universe"
    bool startTimers = true;
};

struct NetworkWindowOptions {
    bool startTimer = true;           // tests run the ticks themselves
    std::function<uint64_t()> clockUs;  // empty: monotonicMicroseconds
};

std::unique_ptr<NetworkWindow> createNetworkWindow(DmxUniverseState& state, NetworkWindowOptions options = {});

// The command, then the main window follows the scan onto or off its sockets.
void handleNetworkCommand(NetworkWindow& window, int id, int notification);
bool hasOpenMainWindow(const NetworkWindow& window);
void handleNetworkTick(NetworkWindow& window);
void closeNetworkWindow(NetworkWindow& window);

// Opens the main window, or brings it forward, and applies the request to it.
void openMonitorWindow(NetworkWindow& window, const MonitorRequest& request);
