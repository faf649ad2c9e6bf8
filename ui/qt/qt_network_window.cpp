#include "qt_network_window.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>

#include "../../core/clock.h"
#include "../main_window.h"
#include "../monitor_universe.h"
#include "../network_controls.h"
#include "../window_style.h"
#include "level_grid_widget.h"
#include "network_table_model.h"
#include "qt_application.h"
#include "qt_style.h"
#include "window_host.h"

namespace {

void place(QWidget& widget, const PixelRect& rect) { widget.setGeometry(rect.x, rect.y, rect.width, rect.height); }

QTableView* makeTable(NetworkWindow& window, int id) {
    auto* model = new NetworkTableModel(id);
    QTableView* table = makeDataTable(*window.host, *model);
    table->horizontalHeader()->setStretchLastSection(true);
    const auto columns = networkTableColumns(id);
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) table->setColumnWidth(column, columns[column].width);
    NetworkWindow* w = &window;
    QObject::connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, table,
                     [w, id](const QModelIndex& current) { selectNetworkRow(w->engines, id, current.row()); });
    QObject::connect(table->horizontalHeader(), &QHeaderView::sectionClicked, table,
                     [w, id](int column) { clickNetworkHeader(w->engines, id, column); });
    window.tables[id] = table;
    window.models[id] = model;
    return table;
}

void buildNetworkControls(NetworkWindow& window) {
    NetworkWindow* w = &window;
    const auto onCommand = [w](int id, int notification) { handleNetworkCommand(*w, id, notification); };
    for (const NetworkControl& control : networkControlTable()) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case NetworkControlKind::Label:
            case NetworkControlKind::Field:
            case NetworkControlKind::Button:
                widget = makeBasicControl(asControlDefinition(control), *window.host, onCommand);
                break;
            case NetworkControlKind::Table: widget = makeTable(window, control.id); break;
            case NetworkControlKind::LevelGrid:
                window.grid = new LevelGridWidget(window.host);
                widget = window.grid;
                break;
            case NetworkControlKind::Legend:
                window.legend = new SourceLegendWidget(window.host);
                widget = window.legend;
                break;
        }
        widget->setFont(window.widgets.font);
        place(*widget, control.rect);
        if (control.id != 0) {
            widget->setObjectName(QString::fromStdString(controlObjectName(control.id)));
            window.widgets.byId[control.id] = widget;
        }
    }
}

void layoutNetworkControls(NetworkWindow& window, int width, int height) {
    for (const NetworkControl& control : networkControlTable()) {
        if (control.id == 0) continue;
        if (QWidget* widget = controlById(window.widgets, control.id)) place(*widget, networkControlRect(control.id, width, height));
    }
}

void showTableRows(NetworkWindow& window, int id, const NetworkTableRows& rows) {
    const auto model = window.models.find(id);
    if (model == window.models.end()) return;
    model->second->setRows(rows);
    QTableView* table = window.tables[id];
    const QModelIndex current = table->selectionModel()->currentIndex();
    if (rows.selectedRow >= 0 && current.row() != rows.selectedRow) {
        // The selection follows its source when the order changes; the engine knows already.
        const QSignalBlocker quiet(table->selectionModel());
        table->selectionModel()->setCurrentIndex(model->second->index(rows.selectedRow, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table->viewport()->update();
    }
}

NetworkView makeNetworkView(NetworkWindow& window) {
    NetworkWindow* w = &window;
    NetworkView view;
    view.fieldText = [w](int id) { return controlText(w->widgets, id); };
    view.setControlText = [w](int id, const std::string& text) { setControlText(w->widgets, id, text); };
    view.enableControl = [w](int id, bool on) {
        if (QWidget* control = controlById(w->widgets, id)) control->setEnabled(on);
    };
    view.setTableRows = [w](int id, const NetworkTableRows& rows) { showTableRows(*w, id, rows); };
    view.showLevelGrid = [w](const NetworkGrid& grid) {
        w->grid->setGrid(grid);
        w->legend->setEntries(grid.legend);
    };
    return view;
}

void wireHost(NetworkWindow& window) {
    NetworkWindow* w = &window;
    WindowHost& host = *window.host;
    host.onResize = [w](int width, int height) { layoutNetworkControls(*w, width, height); };
    host.onClose = [w] { closeNetworkWindow(*w); };
    host.onFrameKnown = [w] {
        WindowHost& h = *w->host;
        const int frameWidth = h.frameGeometry().width() - h.width();
        const int frameHeight = h.frameGeometry().height() - h.height();
        h.setMinimumSize(kNetworkMinimumOuterWidth - frameWidth, kNetworkMinimumOuterHeight - frameHeight);
    };
}

MainWindowGestures gesturesOn(MainWindow& main) {
    MainWindow* m = &main;
    MainWindowGestures gestures;
    gestures.chooseEntry = [m](int id, int index) {
        if (auto* box = qobject_cast<QComboBox*>(controlById(m->widgets, id))) box->setCurrentIndex(index);
    };
    gestures.typeText = [m](int id, const std::string& text) { setControlText(m->widgets, id, text); };
    gestures.click = [m](int id) { handleWindowCommand(*m, id, kClickNotification); };
    return gestures;
}

}  // namespace

NetworkWindow::~NetworkWindow() {
    closeNetworkWindow(*this);
    mainWindow.reset();
    delete host;
}

std::unique_ptr<NetworkWindow> createNetworkWindow(DmxUniverseState& state, NetworkWindowOptions options) {
    auto window = std::make_unique<NetworkWindow>();
    NetworkWindow* w = window.get();
    window->state = &state;
    window->startTimers = options.startTimer;
    NetworkWindowEngines& engines = window->engines;
    engines.clockUs = options.clockUs ? options.clockUs : std::function<uint64_t()>(monotonicMicroseconds);
    engines.openMonitor = [w](const MonitorRequest& request) { openMonitorWindow(*w, request); };

    window->widgets.font = makeUiFont();
    window->host = makeWindowHost(QString::fromUtf8(kProductTitle) + QString::fromUtf8(kNetworkTitleSuffix), window->widgets.font);
    WindowHost& host = *window->host;
    window->widgets.host = &host;

    buildNetworkControls(*window);
    engines.view = makeNetworkView(*window);
    fillNetworkViews(engines);

    wireHost(*window);
    host.setMinimumSize(kNetworkMinimumClientWidth, kNetworkMinimumClientHeight);
    host.resize(kNetworkInitialClientWidth, kNetworkInitialClientHeight);
    layoutNetworkControls(*window, host.width(), host.height());

    window->timer = makeTickTimer(host, kNetworkTickPeriodMs, options.startTimer, [w] { handleNetworkTick(*w); });
    return window;
}

bool hasOpenMainWindow(const NetworkWindow& window) { return window.mainWindow && !window.mainWindow->engines.stopped; }

void handleNetworkCommand(NetworkWindow& window, int id, int notification) {
    runNetworkCommand(window.engines, id, notification);
    if (hasOpenMainWindow(window)) followNetworkScan(window.mainWindow->engines, window.engines, gesturesOn(*window.mainWindow));
}

void handleNetworkTick(NetworkWindow& window) { runNetworkTick(window.engines); }

void closeNetworkWindow(NetworkWindow& window) {
    if (window.engines.stopped) return;
    if (window.timer) window.timer->stop();
    stopNetworkEngines(window.engines);
    // A main window still open goes on receiving on sockets of its own.
    if (hasOpenMainWindow(window)) followNetworkScan(window.mainWindow->engines, window.engines, gesturesOn(*window.mainWindow));
}

void openMonitorWindow(NetworkWindow& window, const MonitorRequest& request) {
    // A main window the user closed has stopped its engines for good: make a new one.
    if (window.mainWindow && window.mainWindow->engines.stopped) {
        window.engines.observer = nullptr;  // it fed the window that is gone
        window.mainWindow.reset();
    }
    if (!window.mainWindow) {
        MainWindowOptions options;
        options.startTimer = window.startTimers;
        window.mainWindow = createMainWindow(*window.state, options);
    }
    MainWindow& main = *window.mainWindow;
    const MainWindowGestures gestures = gesturesOn(main);
    followNetworkScan(main.engines, window.engines, gestures);
    applyMonitorRequest(main.engines, request, gestures);
    followNetworkScan(main.engines, window.engines, gestures);  // the scan joins the new universe
    main.host->show();
    main.host->raise();
    main.host->activateWindow();
}

int runNetworkWindow(int argc, char** argv, DmxUniverseState& state) {
    return runWindowApplication(argc, argv, [&state] { return createNetworkWindow(state); });
}
