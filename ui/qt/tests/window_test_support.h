#pragma once
// Shared set-up for the window tests: one QApplication for the process (offscreen
// platform from the environment), a window driven by a hand-moved clock, and
// controls found the way accessibility tools find them, by object name.
#include <QApplication>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/qt/window_host.h"
#include "ui/qt/qt_main_window.h"

QApplication& testApplication();

struct TestWindow {
    DmxUniverseState state;
    uint64_t now = 100000;  // milliseconds; the window reads only this
    std::unique_ptr<MainWindow> window;

    TestWindow();
    // One timer tick after moving the clock on by the tick period.
    void tick(int count = 1);
    void advanceWithoutTick(uint64_t milliseconds) { now += milliseconds; }
};

template <typename Widget>
Widget* control(const MainWindow& window, int id) {
    return window.host->findChild<Widget*>(QStringLiteral("id%1").arg(id));
}

std::string textOf(const MainWindow& window, int id);
// The second line of a status text (the engine's message), "" when there is none.
std::string messageLine(const MainWindow& window, int statusId);
