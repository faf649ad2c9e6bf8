#include "main_window.h"

#include <QApplication>
#include <cstdlib>

#include "window_host.h"
#include "window_procedure.h"

namespace {

// Qt aborts the process when it finds no display at all; say so with an exit code instead.
bool displayConfigured() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

}  // namespace

int runMainWindow(int argc, char** argv, DmxUniverseState& state) {
    if (!displayConfigured()) return 1;
    QApplication application(argc, argv);
    prepareApplication();
    std::unique_ptr<MainWindow> window = createMainWindow(state);
    window->host->show();
    QApplication::exec();
    window.reset();
    return 0;
}
