#include "win32_window.h"

#include <algorithm>

#include "../../core/clock.h"
#include "../../core/utf16_text_win32.h"
#include "../window_layout.h"
#include "win32_views.h"

namespace {

constexpr int kProgramIconResource = 1;

RECT workAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

PixelSize sizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

// Moves the window so that none of it lies outside its monitor's work area; it already
// fits there in size.
void moveIntoWorkArea(HWND handle) {
    const RECT work = workAreaOf(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST));
    RECT outer{};
    GetWindowRect(handle, &outer);
    const int x = std::max(work.left, std::min(outer.left, work.right - (outer.right - outer.left)));
    const int y = std::max(work.top, std::min(outer.top, work.bottom - (outer.bottom - outer.top)));
    if (x != outer.left || y != outer.top) SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int openWindows = 0;  // on the user-interface thread only

const std::wstring& className() {
    static const std::wstring name = utf8ToUtf16(kWindowClassName);
    return name;
}

}  // namespace

Win32MainWindow::~Win32MainWindow() {
    if (window) {
        closeMainWindow(*this);
        if (window) DestroyWindow(window);
    }
    if (uiFont) DeleteObject(uiFont);
    if (backgroundBrush) DeleteObject(backgroundBrush);
    for (HICON icon : drawnIcons) {
        if (icon) DestroyIcon(icon);
    }
}

void registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = mainWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = className().c_str();  // no background brush: the window erases its own
    RegisterClassW(&windowClass);
}

std::unique_ptr<Win32MainWindow> createMainWindow(HINSTANCE instance, DmxUniverseState& state, Win32WindowOptions options) {
    auto window = std::make_unique<Win32MainWindow>(state);
    window->engines.clock = options.clock ? options.clock : std::function<uint64_t()>(tickCountMs);
    window->timerWanted = options.startTimer;
    // The monitor is not known before the window exists: the primary one's DPI and work area.
    const int dpi = static_cast<int>(GetDpiForSystem());
    const PixelSize outer = fitToWorkArea({scaleToDpi(kInitialOuterWidth, dpi), scaleToDpi(kInitialOuterHeight, dpi)},
                                          sizeOf(workAreaOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY))));
    const HWND handle = CreateWindowExW(0, className().c_str(), utf8ToUtf16(kProductTitle).c_str(), WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, outer.width, outer.height, nullptr, nullptr,
                                        instance, window.get());
    if (!handle) return nullptr;
    moveIntoWorkArea(handle);
    return window;
}

Win32MainWindow* mainWindowOf(HWND window) {
    if (!window) return nullptr;
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) == 0 || className() != name) return nullptr;
    return reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void limitTrackingSize(HWND handle, MINMAXINFO& limits) {
    const int dpi = static_cast<int>(GetDpiForWindow(handle));
    const PixelSize minimum = fitToWorkArea(
        {scaleToDpi(kMinimumOuterWidth, dpi), scaleToDpi(kMinimumOuterHeight, dpi)},
        sizeOf(workAreaOf(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST))));
    limits.ptMinTrackSize.x = minimum.width;
    limits.ptMinTrackSize.y = minimum.height;
}

void closeMainWindow(Win32MainWindow& window) {
    stopWindowEngines(window.engines);
    releaseLevelTableDrawing(window);
    if (window.window) DestroyWindow(window.window);
}

void countWindowOpened() { ++openWindows; }

void countWindowDestroyed() {
    if (--openWindows <= 0) {
        openWindows = 0;
        PostQuitMessage(0);
    }
}
