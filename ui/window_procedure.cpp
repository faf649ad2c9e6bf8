#include "window_procedure.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QTimer>

#include "../core/clock.h"
#include "../core/product_identity.h"
#include "level_table_model.h"
#include "window_host.h"
#include "window_layout.h"
#include "window_palette.h"
#include "window_routing.h"
#include "window_style.h"
#include "window_views.h"

namespace {

const char* const kWindowTitle = kProductTitle;

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
    host.onClose = [w] { stopWindowEngines(*w); };
    host.onPaint = [w](QPainter& painter, const QRegion& region) {
        // Controls that repaint often (the level table, the status texts) lie below the
        // band; drawing the icon for them would be clipped away entirely.
        if (region.intersects(QRect(0, 0, w->host->width(), kHeaderBandHeight))) paintHeaderBand(painter, w->widgets.font);
    };
    host.onFrameKnown = [w] {
        // Only a window still at its first size is brought to the outer size.
        const bool untouched = w->host->size() == QSize(kInitialOuterWidth, kInitialOuterHeight);
        fitOuterSize(*w, untouched);
    };
}

}  // namespace

void prepareApplication() {
    // X11 takes WM_CLASS's class from the application name; Wayland's app id is the
    // desktop file name, which lets the desktop find the installed entry and its icon.
    QApplication::setApplicationName(QString::fromUtf8(kWindowClassName));
    QApplication::setDesktopFileName(QString::fromUtf8(kDesktopApplicationId));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

MainWindow::~MainWindow() {
    stopWindowEngines(*this);
    closeMidiWakeSignal(midiWake);
    delete host;
}

std::unique_ptr<MainWindow> createMainWindow(DmxUniverseState& state, MainWindowOptions options) {
    auto window = std::make_unique<MainWindow>(state);
    MainWindow* w = window.get();
    window->clock = options.clock ? options.clock : std::function<uint64_t()>(tickCountMs);

    window->host = new WindowHost();
    WindowHost& host = *window->host;
    host.setWindowTitle(QString::fromUtf8(kWindowTitle));
    host.setWindowIcon(makeWindowIcon());
    applyWindowPalette(host);
    window->widgets.font = makeUiFont();
    // The only font: style sheets resolve theirs from the application's.
    QApplication::setFont(window->widgets.font);
    host.setFont(window->widgets.font);

    buildControls(window->widgets, host, [w](int id, int notification) { runWindowCommand(*w, id, notification); });
    window->dmxView = makeDmxView(window->widgets);
    window->midi.view = makeMidiView(window->widgets);

    refreshReceivedColumn(window->dmx, state, window->dmxView);
    refreshOutputColumn(window->dmx, state, window->dmxView);
    refreshMidiPorts(window->midi);
    // Rows received on the MIDI thread are shown as soon as the event loop sees the wake-up.
    if (openMidiWakeSignal(window->midiWake, host, [w] { drainMidiInput(w->midi); })) {
        setMidiInputWakeUp(window->midi, raiseMidiWakeSignal, &window->midiWake);
    }
    showPage(window->widgets, ControlPage::Dmx);

    wireHost(*window);
    host.setMinimumSize(kMinimumOuterWidth, kMinimumOuterHeight);
    host.resize(kInitialOuterWidth, kInitialOuterHeight);
    layoutControls(window->widgets, host.width(), host.height());

    window->timer = new QTimer(&host);
    window->timer->setTimerType(Qt::PreciseTimer);
    window->timer->setInterval(kTickPeriodMs);
    QObject::connect(window->timer, &QTimer::timeout, &host, [w] { runWindowTick(*w); });
    if (options.startTimer) window->timer->start();
    return window;
}

void runWindowCommand(MainWindow& window, int id, int notification) {
    if (window.engineStopped) return;
    DmxNetworkEngine& dmx = window.dmx;
    DmxUniverseState& state = window.state;
    const DmxView& view = window.dmxView;
    switch (commandFor(id, notification)) {
        case WindowCommand::Nothing: return;
        case WindowCommand::ShowDmxPage: showPage(window.widgets, ControlPage::Dmx); return;
        case WindowCommand::ShowMidiPage: showPage(window.widgets, ControlPage::Midi); return;
        case WindowCommand::MidiCommand: handleMidiCommand(window.midi, id, window.clock()); return;
        case WindowCommand::ResetNetwork: resetNetwork(dmx, state, view, window.clock()); break;
        case WindowCommand::ToggleReceive: toggleReceive(dmx, state, view); break;
        case WindowCommand::ContinuousTx: onContinuousTx(dmx, state, view, window.clock()); break;
        case WindowCommand::SendValue: onSendValue(dmx, state, view, window.clock()); break;
        case WindowCommand::PulseToZero: onPulseToZero(dmx, state, view, window.clock()); break;
        case WindowCommand::AllToZero: onAllToZero(dmx, state, view, window.clock()); break;
    }
    publishLevelChanges(window);
}

void runWindowTick(MainWindow& window) {
    if (window.engineStopped) return;
    // Rows handed over before this tick come first, as posted messages do.
    drainMidiInput(window.midi);
    const uint64_t t1 = window.clock();
    endMidiPulse(window.midi, t1);
    refreshMidiStatus(window.midi, t1);
    pollReceive(window.dmx, window.state, window.dmxView, window.clock());
    const uint64_t t2 = window.clock();
    transmitTick(window.dmx, window.state, window.dmxView, t2);
    if (isDmxStatusDue(window.dmx, t2)) refreshDmxStatus(window.dmx, window.state, window.dmxView, t2);
    publishLevelChanges(window);
}

void stopWindowEngines(MainWindow& window) {
    if (window.engineStopped) return;
    window.engineStopped = true;
    if (window.timer) window.timer->stop();
    closeMidiPorts(window.midi);
    setMidiInputWakeUp(window.midi, nullptr, nullptr);
    stopTransmit(window.dmx, window.state, window.dmxView, window.clock());
    stopReceive(window.dmx, window.state, window.dmxView);
    publishLevelChanges(window);
}
