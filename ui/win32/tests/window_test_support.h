#pragma once
// The window driver (ui/tests/window_driver.h) on the real Win32 window under wine: GDI+,
// the socket library and the common controls started once for the process, controls
// found the way accessibility tools find them, by id, and input given as the messages
// the system sends.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/tests/window_driver.h"
#include "ui/win32/win32_window.h"

class Win32WindowDriver : public WindowDriver {
public:
    Win32WindowDriver();

    DmxUniverseState state;
    std::unique_ptr<Win32MainWindow> window;
    HWND handle = nullptr;

    HWND control(int id) const { return GetDlgItem(handle, id); }
    void show();

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
    WindowPicture picture() override;  // shows the window first
    bool closed() override;

protected:
    void deliverTick() override;
};

// Handles every message waiting for this thread.
void pumpMessages();
