#include "win32_network_window.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "../../core/clock.h"
#include "../../core/utf16_text_win32.h"
#include "../monitor_universe.h"
#include "../network_controls.h"
#include "../network_texts.h"
#include "win32_painting.h"
#include "win32_views.h"

namespace {

const std::wstring& networkClassName() {
    static const std::wstring name = utf8ToUtf16(kWindowClassName) + L"Network";
    return name;
}

std::wstring windowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<std::size_t>(std::max(copied, 0)));
}

HINSTANCE instanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

HWND makeList(Win32NetworkWindow& window, const NetworkControl& control) {
    const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
    const HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", style, control.rect.x, control.rect.y, control.rect.width,
                                      control.rect.height, window.window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instanceOf(window.window), nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(window.uiFont), TRUE);
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0))) subclassListHeader(header);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SendMessageW(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colourRef(kTableBackgroundColour)));
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colourRef(kTableBackgroundColour)));
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colourRef(kTableTextColour)));
    const auto columns = networkTableColumns(control.id);
    for (std::size_t index = 0; index < columns.size(); ++index) {
        std::wstring title = utf8ToUtf16(columns[index].title);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = columns[index].width;
        column.pszText = title.data();
        SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

HWND makePainted(Win32NetworkWindow& window, const NetworkControl& control) {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, control.rect.x, control.rect.y,
                           control.rect.width, control.rect.height, window.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instanceOf(window.window), nullptr);
}

void showTableRows(Win32NetworkWindow& window, int id, const NetworkTableRows& rows) {
    const HWND list = networkControlById(window, id);
    if (!list) return;
    NetworkTableRows& shown = window.tableRows[id];
    const std::size_t common = std::min(shown.rows.size(), rows.rows.size());
    int first = -1;
    int last = -1;
    for (std::size_t row = 0; row < common; ++row) {
        if (shown.rows[row] == rows.rows[row]) continue;
        if (first < 0) first = static_cast<int>(row);
        last = static_cast<int>(row);
    }
    const bool countChanged = shown.rows.size() != rows.rows.size();
    shown = rows;
    if (countChanged) {
        SendMessageW(list, LVM_SETITEMCOUNT, rows.rows.size(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        first = 0;
        last = static_cast<int>(rows.rows.size()) - 1;
    }
    // One redraw for the changed rows, not one per cell.
    if (first >= 0 && last >= first) SendMessageW(list, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
    if (rows.selectedRow >= 0) {
        const int current = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (current != rows.selectedRow) {
            window.selecting = true;
            LVITEMW state{};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(rows.selectedRow), reinterpret_cast<LPARAM>(&state));
            window.selecting = false;
        }
    }
}

NetworkView makeNetworkView(Win32NetworkWindow& window) {
    Win32NetworkWindow* w = &window;
    NetworkView view;
    view.fieldText = [w](int id) {
        const HWND control = networkControlById(*w, id);
        return control ? utf16ToUtf8(windowText(control).substr(0, kFieldTextCapacity)) : std::string();
    };
    view.setControlText = [w](int id, const std::string& text) {
        const HWND control = networkControlById(*w, id);
        const std::wstring wide = utf8ToUtf16(text);
        if (control && windowText(control) != wide) SetWindowTextW(control, wide.c_str());
    };
    view.enableControl = [w](int id, bool on) {
        if (HWND control = networkControlById(*w, id)) EnableWindow(control, on ? TRUE : FALSE);
    };
    view.setTableRows = [w](int id, const NetworkTableRows& rows) { showTableRows(*w, id, rows); };
    view.showLevelGrid = [w](const NetworkGrid& grid) {
        const bool legendChanged = grid.legend != w->grid.legend;
        w->grid = grid;
        // One repaint of the grid for the whole refresh.
        if (HWND control = networkControlById(*w, kNetworkLevelGrid)) InvalidateRect(control, nullptr, FALSE);
        if (legendChanged) {
            if (HWND control = networkControlById(*w, kNetworkLegend)) InvalidateRect(control, nullptr, FALSE);
        }
    };
    return view;
}

HFONT makeGridFont(HFONT uiFont) {
    LOGFONTW font{};
    GetObjectW(uiFont, sizeof font, &font);
    font.lfHeight = -kGridTextPixelHeight;
    return CreateFontIndirectW(&font);
}

void fill(HDC dc, const RECT& area, uint32_t rgb) {
    SetBkColor(dc, colourRef(rgb));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void paintGrid(const Win32NetworkWindow& window, HDC dc, const RECT& bounds) {
    fill(dc, bounds, kTableBackgroundColour);
    SelectObject(dc, window.gridFont);
    SetBkMode(dc, TRANSPARENT);
    const NetworkGrid& grid = window.grid;
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const PixelRect cell = gridCellRect(slot);
        const RECT area{cell.x, cell.y, cell.x + cell.width, cell.y + cell.height};
        const int8_t winner = grid.winnerColours[static_cast<std::size_t>(slot)];
        const uint8_t level = winner == kNoSourceColour ? 0 : grid.levels[static_cast<std::size_t>(slot)];
        fill(dc, area, kGridLineColour);
        fill(dc, RECT{area.left + 1, area.top + 1, area.right - 1, area.bottom - 1}, gridCellFill(level));
        if (winner == kNoSourceColour) continue;
        fill(dc, RECT{area.left + 1, area.bottom - kGridMarkerHeight, area.right - 1, area.bottom - 1}, sourceColour(winner));
        SetTextColor(dc, colourRef(gridCellTextColour(level)));
        std::wstring text = utf8ToUtf16(gridCellText(grid, slot));
        RECT textArea{area.left, area.top - 1, area.right, area.bottom - 1};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void paintLegend(const Win32NetworkWindow& window, HDC dc, const RECT& bounds) {
    fill(dc, bounds, kTableBackgroundColour);
    SelectObject(dc, window.uiFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kTableTextColour));
    int y = 4;
    for (const LegendEntry& entry : window.grid.legend) {
        if (y + kLegendRowHeight > bounds.bottom) break;
        fill(dc, RECT{6, y + 4, 18, y + 16}, entry.rgb);
        SetBkMode(dc, TRANSPARENT);
        std::wstring text = utf8ToUtf16(entry.text);
        RECT textArea{26, y, bounds.right - 4, y + kLegendRowHeight};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        y += kLegendRowHeight;
    }
}

MainWindowGestures gesturesOn(Win32MainWindow& main) {
    Win32MainWindow* m = &main;
    MainWindowGestures gestures;
    gestures.chooseEntry = [m](int id, int index) {
        if (HWND box = controlById(*m, id)) SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    };
    gestures.typeText = [m](int id, const std::string& text) { setControlText(*m, id, text); };
    gestures.click = [m](int id) {
        SendMessageW(m->window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(controlById(*m, id)));
    };
    return gestures;
}

}  // namespace

Win32NetworkWindow::~Win32NetworkWindow() {
    if (window) {
        closeNetworkWindow(*this);
        if (window) DestroyWindow(window);
    }
    mainWindow.reset();
    if (uiFont) DeleteObject(uiFont);
    if (gridFont) DeleteObject(gridFont);
    if (backgroundBrush) DeleteObject(backgroundBrush);
    for (HICON icon : drawnIcons) {
        if (icon) DestroyIcon(icon);
    }
}

void registerNetworkWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = networkWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = networkClassName().c_str();
    RegisterClassW(&windowClass);
}

std::unique_ptr<Win32NetworkWindow> createNetworkWindow(HINSTANCE instance, DmxUniverseState& state,
                                                        Win32NetworkWindowOptions options) {
    auto window = std::make_unique<Win32NetworkWindow>();
    Win32NetworkWindow* w = window.get();
    window->instance = instance;
    window->state = &state;
    window->timerWanted = options.startTimer;
    window->engines.clockUs = options.clockUs ? options.clockUs : std::function<uint64_t()>(monotonicMicroseconds);
    window->engines.openMonitor = [w](const MonitorRequest& request) { openMonitorWindow(*w, request); };
    RECT outer{0, 0, kNetworkMinimumClientWidth, kNetworkMinimumClientHeight};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const std::wstring title = utf8ToUtf16(std::string(kProductTitle) + kNetworkTitleSuffix);
    const HWND handle = CreateWindowExW(0, networkClassName().c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                        instance, window.get());
    if (!handle) return nullptr;
    return window;
}

Win32NetworkWindow* networkWindowOf(HWND window) {
    if (!window) return nullptr;
    wchar_t name[64] = {};
    if (GetClassNameW(window, name, 64) == 0 || networkClassName() != name) return nullptr;
    return reinterpret_cast<Win32NetworkWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void buildNetworkWindow(Win32NetworkWindow& window, HWND handle) {
    window.window = handle;
    window.uiFont = makeUiFont(kDefaultDpi);  // this window is laid out at 96 DPI
    window.gridFont = makeGridFont(window.uiFont);
    window.backgroundBrush = CreateSolidBrush(colourRef(kBackgroundColour));
    for (const NetworkControl& control : networkControlTable()) {
        HWND created = nullptr;
        switch (control.kind) {
            case NetworkControlKind::Label:
            case NetworkControlKind::Field:
            case NetworkControlKind::Button: created = createControl(handle, window.uiFont, asControlDefinition(control)); break;
            case NetworkControlKind::Table: created = makeList(window, control); break;
            case NetworkControlKind::LevelGrid:
            case NetworkControlKind::Legend: created = makePainted(window, control); break;
        }
        if (control.id != 0) window.byId[control.id] = created;
    }
    window.engines.view = makeNetworkView(window);
    fillNetworkViews(window.engines);
    if (GetClassLongPtrW(handle, GCLP_HICON) == 0) {
        const int sizes[] = {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON)};
        const WPARAM kinds[] = {ICON_BIG, ICON_SMALL};
        for (int i = 0; i < 2; ++i) {
            window.drawnIcons[i] = makeWindowIcon(sizes[i]);
            if (window.drawnIcons[i]) SendMessageW(handle, WM_SETICON, kinds[i], reinterpret_cast<LPARAM>(window.drawnIcons[i]));
        }
    }
    if (window.timerWanted) SetTimer(handle, kNetworkTimerId, kNetworkTickPeriodMs, nullptr);
    requestDarkTitleBar(handle);
}

void layoutNetworkControls(Win32NetworkWindow& window, int clientWidth, int clientHeight) {
    for (const auto& [id, control] : window.byId) {
        const PixelRect rect = networkControlRect(id, clientWidth, clientHeight);
        MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);
    }
}

LRESULT notifyNetworkWindow(Win32NetworkWindow& window, const NMHDR& header) {
    const int id = static_cast<int>(header.idFrom);
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item;
        if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) return 0;
        const auto& rows = window.tableRows[id].rows;
        std::wstring text;
        if (item.iItem >= 0 && item.iItem < static_cast<int>(rows.size())) {
            const auto& cells = rows[static_cast<std::size_t>(item.iItem)];
            if (item.iSubItem >= 0 && item.iSubItem < static_cast<int>(cells.size())) text = utf8ToUtf16(cells[static_cast<std::size_t>(item.iSubItem)]);
        }
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.c_str(), length, item.pszText);
        item.pszText[length] = L'\0';
        return 0;
    }
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const bool nowSelected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
        if (nowSelected && !window.selecting) selectNetworkRow(window.engines, id, change.iItem);
        return 0;
    }
    if (header.code == LVN_COLUMNCLICK) {
        clickNetworkHeader(window.engines, id, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return 0;
    }
    return 0;
}

void paintNetworkItem(Win32NetworkWindow& window, const DRAWITEMSTRUCT& item) {
    const RECT bounds = item.rcItem;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    // Drawn off screen and copied in one go: no flicker at four refreshes a second.
    const HDC memory = CreateCompatibleDC(item.hDC);
    const HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
    const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    const HGDIOBJ previousFont = SelectObject(memory, window.uiFont);
    if (static_cast<int>(item.CtlID) == kNetworkLevelGrid) {
        ++window.gridPaints;
        paintGrid(window, memory, RECT{0, 0, width, height});
    } else {
        paintLegend(window, memory, RECT{0, 0, width, height});
    }
    BitBlt(item.hDC, bounds.left, bounds.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previousFont);
    SelectObject(memory, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void runNetworkWindowCommand(Win32NetworkWindow& window, int id, int notification) {
    runNetworkCommand(window.engines, id, notification);
    if (window.mainWindow && window.mainWindow->window) {
        followNetworkScan(window.mainWindow->engines, window.engines, gesturesOn(*window.mainWindow));
    }
}

void closeNetworkWindow(Win32NetworkWindow& window) {
    if (window.window) KillTimer(window.window, kNetworkTimerId);
    stopNetworkEngines(window.engines);
    // A main window still open goes on receiving on sockets of its own.
    if (window.mainWindow && window.mainWindow->window) {
        followNetworkScan(window.mainWindow->engines, window.engines, gesturesOn(*window.mainWindow));
    }
    if (window.window) DestroyWindow(window.window);
}

HWND networkControlById(const Win32NetworkWindow& window, int id) {
    const auto found = window.byId.find(id);
    return found == window.byId.end() ? nullptr : found->second;
}

void openMonitorWindow(Win32NetworkWindow& window, const MonitorRequest& request) {
    // A main window the user closed is gone with its engines: make a new one.
    if (window.mainWindow && !window.mainWindow->window) {
        window.engines.observer = nullptr;  // it fed the window that is gone
        window.mainWindow.reset();
    }
    if (!window.mainWindow) {
        registerMainWindowClass(window.instance);
        Win32WindowOptions options;
        options.startTimer = window.timerWanted;
        window.mainWindow = createMainWindow(window.instance, *window.state, options);
        if (!window.mainWindow) return;
    }
    Win32MainWindow& main = *window.mainWindow;
    const MainWindowGestures gestures = gesturesOn(main);
    followNetworkScan(main.engines, window.engines, gestures);
    applyMonitorRequest(main.engines, request, gestures);
    followNetworkScan(main.engines, window.engines, gestures);  // the scan joins the new universe
    ShowWindow(main.window, SW_SHOW);
    SetForegroundWindow(main.window);
}
