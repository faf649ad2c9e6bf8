#include "win32_window.h"

#include "../../core/clock.h"
#include "../../core/utf16_text_win32.h"
#include "../window_layout.h"
#include "win32_views.h"

namespace {

const std::wstring& className() {
    static const std::wstring name = utf8ToUtf16(kWindowClassName);
    return name;
}

PixelSize initialOuterSize(int dpi) { return {scaleToDpi(kInitialOuterWidth, dpi), scaleToDpi(kInitialOuterHeight, dpi)}; }

}  // namespace

Win32MainWindow::~Win32MainWindow() {
    if (window) {
        closeMainWindow(*this);
        if (window) DestroyWindow(window);
    }
}

void registerMainWindowClass(HINSTANCE instance) { registerWindowClass(instance, className(), mainWindowProcedure); }

std::unique_ptr<Win32MainWindow> createMainWindow(HINSTANCE instance, DmxUniverseState& state, Win32WindowOptions options) {
    auto window = std::make_unique<Win32MainWindow>(state);
    window->engines.clock = options.clock ? options.clock : std::function<uint64_t()>(tickCountMs);
    window->timerWanted = options.startTimer;
    if (!createFramedWindow(instance, className(), kProductTitle, initialOuterSize, *window)) return nullptr;
    return window;
}

Win32MainWindow* mainWindowOf(HWND window) { return static_cast<Win32MainWindow*>(frameOf(window, className())); }

void closeMainWindow(Win32MainWindow& window) {
    stopWindowEngines(window.engines);
    releaseLevelTableDrawing(window);
    if (window.window) DestroyWindow(window.window);
}
