#pragma once
// The window driver (ui/tests/window_driver.h) on the real Qt window: one QApplication
// for the process (offscreen platform from the environment), the window shown at once,
// controls found the way accessibility tools find them, by object name, and input given
// through Qt Test as a user's mouse and keyboard would.
#include <QApplication>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "ui/qt/qt_main_window.h"
#include "ui/qt/window_host.h"
#include "ui/tests/window_picture.h"

QApplication& testApplication();
// A window's client area as painted.
WindowPicture pictureOf(QWidget& window);

// The Qt window a driver works on, shown at once unless told otherwise.
struct FrontEndWindow {
    FrontEndWindow(std::function<uint64_t()> clock, bool showAtOnce = true);

    DmxUniverseState state;
    std::unique_ptr<MainWindow> window;

    template <typename Widget>
    Widget* control(int id) const {
        return window->host->findChild<Widget*>(QStringLiteral("id%1").arg(id));
    }
};

#include "ui/tests/front_end_window_driver.h"

using QtWindowDriver = FrontEndWindowDriver;
