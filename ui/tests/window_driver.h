#pragma once
// What a window test does to the real main window and reads back, in a user's terms and
// the same for every front end. The behaviour cases (ui/tests/window_*_test.cpp) are
// written once against it; each front end's test support implements it on its own
// window (ui/qt/tests, ui/win32/tests) and compiles the cases in, so every case runs on
// both. The window reads its time from `now` only.
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ui/tests/eventually.h"
#include "ui/tests/window_picture.h"
#include "ui/window_procedure.h"

// A rectangle in the main window's client coordinates, or a size (x and y 0).
struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowRect&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const WindowRect& r) {
    return out << "(" << r.x << ", " << r.y << ") " << r.width << " x " << r.height;
}

class WindowDriver {
public:
    virtual ~WindowDriver() = default;

    uint64_t now = 100000;  // milliseconds
    // One timer tick after moving the clock on by the tick period, count times.
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            now += kTickPeriodMs;
            deliverTick();
        }
    }
    void advanceWithoutTick(uint64_t milliseconds) { now += milliseconds; }

    virtual WindowEngines& engines() = 0;
    // Handles what the window has waiting (a MIDI wake-up, say), never a tick.
    virtual void processEvents() = 0;

    // Input, as the platform delivers it.
    virtual void click(int id) = 0;        // a plain click on a button
    virtual void doubleClick(int id) = 0;  // both clicks of a double click on a button
    virtual void sendCommand(int id, int notification) = 0;  // a control's command, any notification
    virtual void setText(int id, const std::string& text) = 0;
    virtual void typeKeys(int id, const std::string& keys) = 0;  // one keystroke per character
    virtual void select(int id, int index) = 0;
    virtual void resizeOuter(int width, int height) = 0;
    // The client size a window manager reports, below the minimum size too.
    virtual void resizeClient(int width, int height) = 0;
    virtual void close() = 0;  // the close button
    virtual void press(int id, bool down) = 0;  // a button held down by the mouse, or let go

    // What a user reads.
    virtual std::string title() = 0;
    virtual bool hasIcon() = 0;
    virtual WindowRect outerSize() = 0;
    virtual WindowRect clientSize() = 0;
    virtual int controlsWithId(int id) = 0;
    virtual WindowRect place(int id) = 0;
    virtual std::string text(int id) = 0;  // line breaks as "\n"; a selector's chosen entry
    virtual std::vector<std::string> labelsWithoutId() = 0;
    virtual std::vector<std::string> entries(int selector) = 0;
    virtual int selectedIndex(int selector) = 0;
    virtual bool shown(int id) = 0;  // within the window, shown or not itself
    virtual bool enabled(int id) = 0;
    virtual std::vector<std::string> levelColumnTitles() = 0;
    virtual int levelRowCount() = 0;
    virtual int levelColumnWidth(int column) = 0;
    virtual std::string cell(int row, int column) = 0;
    virtual std::vector<std::string> messageRows() = 0;
    // The client area as painted; the window is on the screen for it.
    virtual WindowPicture picture() = 0;
    // Gone from the screen, and the program told to end normally.
    virtual bool closed() = 0;

    // The second line of a status text (the engine's message), "" when there is none.
    std::string messageLine(int statusId) {
        const std::string all = text(statusId);
        const auto newline = all.find('\n');
        return newline == std::string::npos ? std::string() : all.substr(newline + 1);
    }

    // Handles events, never a tick, until the condition holds or the time is up.
    template <typename Condition>
    bool eventually(Condition condition, int timeoutMs = 1000) {
        return ::eventually(condition, [this] { processEvents(); }, timeoutMs);
    }

protected:
    virtual void deliverTick() = 0;
};

// A new main window of the front end under test with its driver, shown where the toolkit
// needs that for input and sizes to take effect; the clock stands still until the test
// moves it and no timer runs.
std::unique_ptr<WindowDriver> openTestWindow();

// The loopback address a peer captures the window's packets on, beside the window's own
// receive socket on 0.0.0.0 (each front end's test support says which).
extern const char* const kCapturePeerAddress;
