// Grabs the real window of each page to a PNG file, for tools/window-screenshots.sh:
//   window_snapshot <dmx.png> <midi.png>
// The texts are those at start (no timer tick runs). Any Qt platform will do, offscreen
// included.
#include <QApplication>
#include <QPixmap>

#include "ui/qt/qt_main_window.h"
#include "ui/qt/window_host.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    QApplication application(argc, argv);
    prepareApplication();
    DmxUniverseState state;
    MainWindowOptions options;
    options.startTimer = false;
    options.clock = [] { return uint64_t{100000}; };
    std::unique_ptr<MainWindow> window = createMainWindow(state, options);
    window->host->show();
    QApplication::processEvents();
    if (!window->host->grab().save(QString::fromLocal8Bit(argv[1]))) return 1;
    handleWindowCommand(*window, kMidiPageButton, kClickNotification);
    QApplication::processEvents();
    return window->host->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
