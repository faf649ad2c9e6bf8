#pragma once
// "Monitor this universe" on the main window, as the user would do it: Stop RX when it
// is on, Protocol sACN, the universe and the local address typed, Start RX clicked. The
// front end supplies the three gestures on its own controls.
#include <functional>
#include <string>

#include "network_procedure.h"
#include "window_procedure.h"

struct MainWindowGestures {
    std::function<void(int id, int index)> chooseEntry;
    std::function<void(int id, const std::string& text)> typeText;
    std::function<void(int id)> click;
};

void applyMonitorRequest(const WindowEngines& engines, const MonitorRequest& request, const MainWindowGestures& gestures);

// Keeps the main window on the process's one set of sockets: while the Network window
// scans, the main window receives from its feed (and the scan joins the monitored
// universe's group); otherwise it binds its own. When the source changes while RX is on,
// RX is stopped and started again, as a user would. Call after every Network window
// command and after a monitor request.
void followNetworkScan(WindowEngines& main, NetworkWindowEngines& network, const MainWindowGestures& gestures);

// What the feed carries for the main window: datagrams of its protocol's port, except
// level packets that name another universe (so a flood of others cannot crowd it out).
bool feedsMainWindow(const DmxUniverseState& state, DmxProtocol port, const uint8_t* data, std::size_t length);
