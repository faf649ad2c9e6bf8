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
