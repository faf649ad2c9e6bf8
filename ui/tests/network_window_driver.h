#pragma once
// What a test does to the real Network window and reads back, the same for every front
// end. The cases (ui/tests/network_window_cases_test.cpp) are written once against it;
// each front end's test support defines these members on its own window, so every case
// runs on both. The window runs on the real clock: its sockets stamp datagrams with it.
#include <memory>
#include <string>
#include <vector>

#include "ui/network_view.h"
#include "ui/tests/eventually.h"
#include "ui/tests/window_picture.h"

class NetworkWindowDriver {
public:
    NetworkWindowDriver();  // shown, its timer not running
    ~NetworkWindowDriver();

    void tick();  // one timer tick of it and of the main window it opened, with the events waiting
    void click(int id);
    void setText(int id, const std::string& text);
    void selectRow(int tableId, int row);  // a click on the row

    std::string text(int id);
    bool enabled(int id);
    std::vector<std::vector<std::string>> rows(int tableId);
    int selectedRow(int tableId);  // -1: none
    NetworkGrid grid();            // what the grid and its legend are painted from
    WindowPicture picture();       // the client area as painted

    // The main window "Monitor this universe" opened: how many are on the screen, and a
    // control's text on it (a selector's chosen entry).
    int mainWindowsShown();
    std::string mainWindowText(int id);

    // Ticks until the condition holds or the time is up.
    template <typename Condition>
    bool eventually(Condition condition, int timeoutMs = 3000) {
        return ::eventually(condition, [this] { tick(); }, timeoutMs);
    }

private:
    struct Window;  // the front end's window
    std::unique_ptr<Window> window_;
};
