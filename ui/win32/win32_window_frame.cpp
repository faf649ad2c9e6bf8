#include "win32_window_frame.h"

#include <commctrl.h>

#include <algorithm>

#include "../../core/utf16_text_win32.h"
#include "win32_open_windows.h"
#include "win32_painting.h"

namespace {

constexpr int kProgramIconResource = 1;
constexpr const wchar_t* kFrameProperty = L"LumiboxWindowFrame";

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

// Arrives before WM_CREATE too: the limits need no window state.
void limitTrackingSize(HWND handle, MINMAXINFO& limits, PixelSize minimumOuter) {
    const int dpi = static_cast<int>(GetDpiForWindow(handle));
    const PixelSize minimum = fitToWorkArea({scaleToDpi(minimumOuter.width, dpi), scaleToDpi(minimumOuter.height, dpi)},
                                            sizeOf(workAreaOf(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST))));
    limits.ptMinTrackSize.x = minimum.width;
    limits.ptMinTrackSize.y = minimum.height;
}

void attachFrame(HWND handle, const CREATESTRUCTW& creation) {
    auto* frame = static_cast<Win32WindowFrame*>(creation.lpCreateParams);
    SetPropW(handle, kFrameProperty, frame);
    frame->window = handle;
    frame->dpi = static_cast<int>(GetDpiForWindow(handle));
    if (frame->dpi <= 0) frame->dpi = kDefaultDpi;
    countWindowOpened(handle);
}

void detachFrame(Win32WindowFrame& frame, HWND handle) {
    RemovePropW(handle, kFrameProperty);
    frame.window = nullptr;
    countWindowDestroyed(handle);
}

}  // namespace

Win32WindowFrame::~Win32WindowFrame() {
    if (uiFont) DeleteObject(uiFont);
    if (backgroundBrush) DeleteObject(backgroundBrush);
    for (HICON icon : drawnIcons) {
        if (icon) DestroyIcon(icon);
    }
}

void registerWindowClass(HINSTANCE instance, const std::wstring& className, WNDPROC procedure) {
    // The report lists of both windows.
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&commonControls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = className.c_str();  // no background brush: the window erases its own
    RegisterClassW(&windowClass);
}

HWND createFramedWindow(HINSTANCE instance, const std::wstring& className, const std::string& title,
                        PixelSize (*outerAt)(int dpi), Win32WindowFrame& frame) {
    // The monitor is not known before the window exists: the primary one's DPI and work area.
    const PixelSize outer = fitToWorkArea(outerAt(static_cast<int>(GetDpiForSystem())),
                                          sizeOf(workAreaOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY))));
    const HWND handle = CreateWindowExW(0, className.c_str(), utf8ToUtf16(title).c_str(), WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, outer.width, outer.height, nullptr, nullptr,
                                        instance, &frame);
    if (handle) moveIntoWorkArea(handle);
    return handle;
}

Win32WindowFrame* frameOf(HWND window) {
    return window ? static_cast<Win32WindowFrame*>(GetPropW(window, kFrameProperty)) : nullptr;
}

Win32WindowFrame* frameOf(HWND window, const std::wstring& className) {
    if (!window) return nullptr;
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) == 0 || className != name) return nullptr;
    return frameOf(window);
}

std::optional<LRESULT> answerFrameMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam,
                                          PixelSize minimumOuter) {
    if (message == WM_GETMINMAXINFO) {
        limitTrackingSize(handle, *reinterpret_cast<MINMAXINFO*>(lParam), minimumOuter);
        return 0;
    }
    if (message == WM_CREATE) {
        attachFrame(handle, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return std::nullopt;
    }
    Win32WindowFrame* frame = frameOf(handle);
    if (!frame) return std::nullopt;
    switch (message) {
        case WM_DESTROY: detachFrame(*frame, handle); return 0;
        case WM_PAINT: paintHeaderBand(handle, frame->uiFont, frame->dpi); return 0;
        case WM_ERASEBKGND: fillBackground(handle, reinterpret_cast<HDC>(wParam), frame->backgroundBrush); return 1;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(controlColours(reinterpret_cast<HDC>(wParam), frame->backgroundBrush));
        default: return std::nullopt;
    }
}

void startFrame(Win32WindowFrame& frame) {
    frame.uiFont = makeUiFont(frame.dpi);
    frame.backgroundBrush = CreateSolidBrush(colourRef(kBackgroundColour));
}

void finishFrame(Win32WindowFrame& frame, UINT tickPeriodMs) {
    const HWND handle = frame.window;
    // Without the program's icon resource the window shows the icon drawn now.
    if (GetClassLongPtrW(handle, GCLP_HICON) == 0) {
        const int sizes[] = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON)};
        const WPARAM kinds[] = {ICON_BIG, ICON_SMALL};
        for (int i = 0; i < 2; ++i) {
            frame.drawnIcons[i] = makeWindowIcon(sizes[i]);
            if (frame.drawnIcons[i]) SendMessageW(handle, WM_SETICON, kinds[i], reinterpret_cast<LPARAM>(frame.drawnIcons[i]));
        }
    }
    if (frame.timerWanted) SetTimer(handle, kTickTimerId, tickPeriodMs, nullptr);
    requestDarkTitleBar(handle);
}

void changeFrameDpi(Win32WindowFrame& frame, int dpi, const RECT& suggested,
                    const std::function<void(int previousDpi)>& relay) {
    const int previousDpi = frame.dpi;
    frame.dpi = dpi;
    const HFONT previousFont = frame.uiFont;
    frame.uiFont = makeUiFont(dpi);
    SetWindowPos(frame.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The controls follow the client size the move left, whether or not it changed it.
    relay(previousDpi);
    if (previousFont) DeleteObject(previousFont);
    InvalidateRect(frame.window, nullptr, TRUE);
}
