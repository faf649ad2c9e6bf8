#pragma once
// The window driver (ui/tests/window_driver.h) on the real Qt window: one QApplication
// for the process (offscreen platform from the environment), the window shown at once,
// controls found the way accessibility tools find them, by object name, and input given
// through Qt Test as a user's mouse and keyboard would.
#include <QApplication>
#include <QString>
#include <memory>
#include <string>

#include "ui/qt/qt_main_window.h"
#include "ui/qt/window_host.h"
#include "ui/tests/window_driver.h"

QApplication& testApplication();

class QtWindowDriver : public WindowDriver {
public:
    explicit QtWindowDriver(bool showAtOnce = true);

    DmxUniverseState state;
    std::unique_ptr<MainWindow> window;

    template <typename Widget>
    Widget* control(int id) const {
        return window->host->findChild<Widget*>(QStringLiteral("id%1").arg(id));
    }

    WindowEngines& engines() override { return window->engines; }
    void processEvents() override;
    void click(int id) override;
    void doubleClick(int id) override;
    void sendCommand(int id, int notification) override;
    void setText(int id, const std::string& text) override;
    void typeKeys(int id, const std::string& keys) override;
    void select(int id, int index) override;
    void resizeOuter(int width, int height) override;
    void resizeClient(int width, int height) override;
    void close() override;
    void press(int id, bool down) override;
    std::string title() override;
    bool hasIcon() override;
    WindowRect outerSize() override;
    WindowRect clientSize() override;
    int controlsWithId(int id) override;
    WindowRect place(int id) override;
    std::string text(int id) override;
    std::vector<std::string> labelsWithoutId() override;
    std::vector<std::string> entries(int selector) override;
    int selectedIndex(int selector) override;
    bool shown(int id) override;
    bool enabled(int id) override;
    std::vector<std::string> levelColumnTitles() override;
    int levelRowCount() override;
    int levelColumnWidth(int column) override;
    std::string cell(int row, int column) override;
    std::vector<std::string> messageRows() override;
    WindowPicture picture() override;
    bool closed() override;

protected:
    void deliverTick() override;
};
