#include "window_test_support.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest/QTest>

#include "ui/qt/level_table_model.h"
#include "ui/qt/window_widgets.h"

namespace {

WindowRect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

// Where Qt's own window lets a peer capture beside the window's 0.0.0.0 socket: an
// address of its own, so no packet is shared out between the two.
const char* const kCapturePeerAddress = "127.0.0.2";

QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "lumibox-window-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        auto* app = new QApplication(argc, argv);
        prepareApplication();
        return app;
    }();
    return *application;
}

std::unique_ptr<WindowDriver> openTestWindow() { return std::make_unique<QtWindowDriver>(); }

FrontEndWindow::FrontEndWindow(std::function<uint64_t()> clock, bool showAtOnce) {
    testApplication();
    MainWindowOptions options;
    options.startTimer = false;
    options.clock = std::move(clock);
    window = createMainWindow(state, options);
    if (showAtOnce) {
        // Qt delivers sizes and keystrokes to shown widgets only.
        window->host->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window->host));
    }
}

void QtWindowDriver::deliverTick() { handleWindowTick(*window); }

void QtWindowDriver::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

void QtWindowDriver::click(int id) { QTest::mouseClick(control<QPushButton>(id), Qt::LeftButton); }

void QtWindowDriver::doubleClick(int id) {
    // Through the window, so the double click is recognised as a real one would be.
    const QWidget* button = control<QWidget>(id);
    QTest::mouseDClick(window->host->windowHandle(), Qt::LeftButton, {}, button->geometry().center());
}

void QtWindowDriver::sendCommand(int id, int notification) { handleWindowCommand(*window, id, notification); }

void QtWindowDriver::setText(int id, const std::string& text) { control<QLineEdit>(id)->setText(QString::fromStdString(text)); }

void QtWindowDriver::typeKeys(int id, const std::string& keys) { QTest::keyClicks(control<QLineEdit>(id), QString::fromStdString(keys)); }

void QtWindowDriver::select(int id, int index) { control<QComboBox>(id)->setCurrentIndex(index); }

void QtWindowDriver::resizeOuter(int width, int height) {
    // The offscreen platform draws no frame: the outer size is the client size.
    window->host->resize(width, height);
    QCoreApplication::processEvents();
}

void QtWindowDriver::resizeClient(int width, int height) {
    window->host->setMinimumSize(0, 0);
    window->host->resize(width, height);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->host->size(), QSize(width, height));
}

void QtWindowDriver::close() { window->host->close(); }

void QtWindowDriver::press(int id, bool down) { control<QPushButton>(id)->setDown(down); }

WindowPicture QtWindowDriver::picture() { return pictureOf(*window->host); }

WindowPicture pictureOf(QWidget& window) {
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    WindowPicture picture{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) picture.pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    }
    return picture;
}

std::string QtWindowDriver::title() { return window->host->windowTitle().toStdString(); }

bool QtWindowDriver::hasIcon() { return !window->host->windowIcon().isNull(); }

WindowRect QtWindowDriver::outerSize() {
    const QSize size = window->host->frameGeometry().size();
    return {0, 0, size.width(), size.height()};
}

WindowRect QtWindowDriver::clientSize() { return {0, 0, window->host->width(), window->host->height()}; }

int QtWindowDriver::controlsWithId(int id) {
    return static_cast<int>(window->host->findChildren<QWidget*>(QStringLiteral("id%1").arg(id)).size());
}

WindowRect QtWindowDriver::place(int id) { return rectOf(control<QWidget>(id)->geometry()); }

std::string QtWindowDriver::text(int id) { return controlText(window->widgets, id); }

std::vector<std::string> QtWindowDriver::labelsWithoutId() {
    std::vector<std::string> texts;
    for (const QLabel* label : window->host->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->objectName().isEmpty()) texts.push_back(label->text().toStdString());
    }
    return texts;
}

std::vector<std::string> QtWindowDriver::entries(int selector) {
    const auto* box = control<QComboBox>(selector);
    std::vector<std::string> texts;
    for (int i = 0; i < box->count(); ++i) texts.push_back(box->itemText(i).toStdString());
    return texts;
}

int QtWindowDriver::selectedIndex(int selector) { return control<QComboBox>(selector)->currentIndex(); }

bool QtWindowDriver::shown(int id) { return control<QWidget>(id)->isVisibleTo(window->host); }

bool QtWindowDriver::enabled(int id) { return control<QWidget>(id)->isEnabled(); }

std::vector<std::string> QtWindowDriver::levelColumnTitles() {
    const QAbstractItemModel* model = window->widgets.levelModel;
    std::vector<std::string> titles;
    for (int column = 0; column < model->columnCount(); ++column) {
        titles.push_back(model->headerData(column, Qt::Horizontal).toString().toStdString());
    }
    return titles;
}

int QtWindowDriver::levelRowCount() { return window->widgets.levelModel->rowCount(); }

int QtWindowDriver::levelColumnWidth(int column) { return window->widgets.levelTable->columnWidth(column); }

std::string QtWindowDriver::cell(int row, int column) {
    const QAbstractItemModel* model = window->widgets.levelModel;
    return model->data(model->index(row, column)).toString().toStdString();
}

std::vector<std::string> QtWindowDriver::messageRows() {
    const QListWidget* list = window->widgets.messageList;
    std::vector<std::string> rows;
    for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
    return rows;
}

bool QtWindowDriver::closed() { return !window->host->isVisible() && window->engines.stopped; }
