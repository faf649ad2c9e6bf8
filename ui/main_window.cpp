#include "main_window.h"

#include <QApplication>

#include "window_host.h"
#include "window_procedure.h"

int runMainWindow(int argc, char** argv, DmxUniverseState& state) {
    QApplication application(argc, argv);
    prepareApplication();
    std::unique_ptr<MainWindow> window = createMainWindow(state);
    window->host->show();
    QApplication::exec();
    window.reset();
    return 0;
}
