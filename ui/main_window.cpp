#include "main_window.h"

#include <QApplication>
#include <QStyleFactory>

#include "window_host.h"
#include "window_procedure.h"

int runMainWindow(int argc, char** argv, DmxUniverseState& state) {
    // The class name the window system and desktop see (WM_CLASS on X11).
    QApplication::setApplicationName(QStringLiteral("VelmoraLumibox"));
    QApplication::setDesktopFileName(QStringLiteral("VelmoraLumibox"));
    QApplication application(argc, argv);
    // One look on every desktop: the platform theme would otherwise restyle the controls.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    std::unique_ptr<MainWindow> window = createMainWindow(state);
    window->host->show();
    QApplication::exec();
    window.reset();
    return 0;
}
