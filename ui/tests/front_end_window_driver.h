#pragma once
// The window driver as each front end implements it, declared once: the front end's test
// support defines FrontEndWindow (its window, made with the driver's clock, and how it
// finds a control) before including this header, and defines every member below.
#include "ui/tests/window_driver.h"

class FrontEndWindowDriver : public WindowDriver, public FrontEndWindow {
public:
    template <typename... Options>
    explicit FrontEndWindowDriver(Options... options) : FrontEndWindow([this] { return now; }, options...) {}

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
