#include "window_test_support.h"

#include "ui/qt/window_widgets.h"

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

TestWindow::TestWindow() {
    testApplication();
    MainWindowOptions options;
    options.startTimer = false;
    options.clock = [this] { return now; };
    window = createMainWindow(state, options);
}

void TestWindow::tick(int count) {
    for (int i = 0; i < count; ++i) {
        now += kTickPeriodMs;
        handleWindowTick(*window);
    }
}

std::string textOf(const MainWindow& window, int id) { return controlText(window.widgets, id); }

std::string messageLine(const MainWindow& window, int statusId) {
    const std::string text = textOf(window, statusId);
    const auto newline = text.find('\n');
    return newline == std::string::npos ? std::string() : text.substr(newline + 1);
}
