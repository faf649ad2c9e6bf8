#include "main_window.h"

#include <QApplication>
#include <cstdlib>

#include "termination_signals.h"
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

// Qt also aborts when a display is named but unusable (no server answers, an unknown
// QT_QPA_PLATFORM): its fatal message still goes out, then the process ends with 1.
QtMessageHandler qtMessageOutput = nullptr;  // Qt's own handler, which prints

void exitOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    qtMessageOutput(type, context, message);
    if (type == QtFatalMsg) std::_Exit(1);  // the application is half built: no clean-up
}

}  // namespace

int runMainWindow(int argc, char** argv, DmxUniverseState& state) {
    if (!displayConfigured()) return 1;
    qtMessageOutput = qInstallMessageHandler(exitOnFatalMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtMessageOutput);
    prepareApplication();
    std::unique_ptr<MainWindow> window = createMainWindow(state);
    closeWindowOnTerminationSignals(*window->host);
    window->host->show();
    QApplication::exec();
    restoreTerminationSignals();
    window.reset();
    return 0;
}
