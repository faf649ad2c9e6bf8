#include "qt_main_window.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>

#include "../../core/clock.h"
#include "../main_window.h"
#include "../window_layout.h"
#include "../window_style.h"
#include "level_table_model.h"
#include "qt_application.h"
#include "qt_style.h"
#include "window_host.h"
#include "window_views.h"

namespace {

// Outer size where the window manager reports its frame; until then the client
// area itself gets the outer figures.
void fitOuterSize(MainWindow& window, bool resizeToInitial) {
    WindowHost& host = *window.host;
    const int frameWidth = host.frameGeometry().width() - host.width();
    const int frameHeight = host.frameGeometry().height() - host.height();
    host.setMinimumSize(kMinimumOuterWidth - frameWidth, kMinimumOuterHeight - frameHeight);
    if (resizeToInitial) host.resize(kInitialOuterWidth - frameWidth, kInitialOuterHeight - frameHeight);
}

void publishLevelChanges(MainWindow& window) { window.widgets.levelModel->publishChanges(*window.widgets.levelTable); }

void wireHost(MainWindow& window) {
    MainWindow* w = &window;
    WindowHost& host = *window.host;
    host.onResize = [w](int width, int height) { layoutControls(w->widgets, width, height); };
    host.onClose = [w] { closeMainWindow(*w); };
    host.onFrameKnown = [w] {
        // Only a window still at its first size is brought to the outer size.
        const bool untouched = w->host->size() == QSize(kInitialOuterWidth, kInitialOuterHeight);
        fitOuterSize(*w, untouched);
    };
}

}  // namespace

int runMainWindow(int argc, char** argv, DmxUniverseState& state) {
    return runWindowApplication(argc, argv, [&state] { return createMainWindow(state); });
}

MainWindow::~MainWindow() {
    closeMainWindow(*this);
    closeMidiWakeSignal(midiWake);
    delete host;
}

std::unique_ptr<MainWindow> createMainWindow(DmxUniverseState& state, MainWindowOptions options) {
    auto window = std::make_unique<MainWindow>(state);
    MainWindow* w = window.get();
    WindowEngines& engines = window->engines;
    engines.clock = options.clock ? options.clock : std::function<uint64_t()>(tickCountMs);

    window->widgets.font = makeUiFont();
    window->host = makeWindowHost(QString::fromUtf8(kProductTitle), window->widgets.font);
    WindowHost& host = *window->host;

    buildControls(window->widgets, host, [w](int id, int notification) { handleWindowCommand(*w, id, notification); });
    engines.dmxView = makeDmxView(window->widgets);
    engines.midi.view = makeMidiView(window->widgets);
    fillEngineViews(engines);
    // Rows received on the MIDI thread are shown as soon as the event loop sees the wake-up.
    if (openMidiWakeSignal(window->midiWake, host, [w] { drainMidiInput(w->engines.midi); })) {
        setMidiInputWakeUp(engines.midi, raiseMidiWakeSignal, &window->midiWake);
    }
    showPage(window->widgets, ControlPage::Dmx);

    wireHost(*window);
    host.setMinimumSize(kMinimumOuterWidth, kMinimumOuterHeight);
    host.resize(kInitialOuterWidth, kInitialOuterHeight);
    layoutControls(window->widgets, host.width(), host.height());

    window->timer = makeTickTimer(host, kTickPeriodMs, options.startTimer, [w] { handleWindowTick(*w); });
    return window;
}

void handleWindowCommand(MainWindow& window, int id, int notification) {
    const ControlPage page = runWindowCommand(window.engines, id, notification);
    if (page != ControlPage::None) {
        showPage(window.widgets, page);
        return;
    }
    publishLevelChanges(window);
}

void handleWindowTick(MainWindow& window) {
    runWindowTick(window.engines);
    publishLevelChanges(window);
}

void closeMainWindow(MainWindow& window) {
    if (window.engines.stopped) return;
    if (window.timer) window.timer->stop();
    stopWindowEngines(window.engines);
    publishLevelChanges(window);
}
