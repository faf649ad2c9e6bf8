// The Network window driver (ui/tests/network_window_driver.h) on the real Qt window:
// controls by object name, rows and the selection through the table views as a user
// clicks them, input through Qt Test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QtTest/QTest>

#include "core/product_identity.h"
#include "ui/qt/level_grid_widget.h"
#include "ui/qt/network_table_model.h"
#include "ui/qt/qt_main_window.h"
#include "ui/qt/qt_network_window.h"
#include "ui/qt/tests/window_test_support.h"
#include "ui/qt/window_host.h"
#include "ui/tests/network_window_driver.h"

struct NetworkWindowDriver::Window {
    DmxUniverseState state;
    std::unique_ptr<NetworkWindow> window;
};

NetworkWindowDriver::NetworkWindowDriver() : window_(std::make_unique<Window>()) {
    testApplication();
    NetworkWindowOptions options;
    options.startTimer = false;
    window_->window = createNetworkWindow(window_->state, options);
    window_->window->host->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_->window->host));
}

NetworkWindowDriver::~NetworkWindowDriver() = default;

void NetworkWindowDriver::tick() {
    handleNetworkTick(*window_->window);
    if (hasOpenMainWindow(*window_->window)) handleWindowTick(*window_->window->mainWindow);
    QCoreApplication::processEvents();
}

void NetworkWindowDriver::click(int id) {
    QTest::mouseClick(qobject_cast<QPushButton*>(controlById(window_->window->widgets, id)), Qt::LeftButton);
}

void NetworkWindowDriver::setText(int id, const std::string& text) { setControlText(window_->window->widgets, id, text); }

void NetworkWindowDriver::selectRow(int tableId, int row) {
    QTableView* table = window_->window->tables.at(tableId);
    const QRect place = table->visualRect(table->model()->index(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, place.center());
}

std::string NetworkWindowDriver::text(int id) { return controlText(window_->window->widgets, id); }

bool NetworkWindowDriver::enabled(int id) { return controlById(window_->window->widgets, id)->isEnabled(); }

std::vector<std::vector<std::string>> NetworkWindowDriver::rows(int tableId) {
    const NetworkTableModel& model = *window_->window->models.at(tableId);
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) rows[static_cast<std::size_t>(row)].push_back(model.cellText(row, column));
    }
    return rows;
}

int NetworkWindowDriver::selectedRow(int tableId) {
    const auto selected = window_->window->tables.at(tableId)->selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().row() : -1;
}

NetworkGrid NetworkWindowDriver::grid() { return window_->window->grid->grid(); }

WindowPicture NetworkWindowDriver::picture() { return pictureOf(*window_->window->host); }

int NetworkWindowDriver::mainWindowsShown() {
    int shown = 0;
    for (const QWidget* top : QApplication::topLevelWidgets()) shown += top->isVisible() && top->windowTitle() == kProductTitle;
    return shown;
}

std::string NetworkWindowDriver::mainWindowText(int id) { return controlText(window_->window->mainWindow->widgets, id); }
