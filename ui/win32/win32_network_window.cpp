#include "win32_network_window.h"

#include <commctrl.h>

#include <algorithm>

#include "../../core/clock.h"
#include "../../core/utf16_text_win32.h"
#include "../monitor_universe.h"
#include "../network_controls.h"
#include "../network_texts.h"
#include "win32_painting.h"
#include "win32_views.h"
#include "win32_window_frame.h"

namespace {

const std::wstring& networkClassName() {
    static const std::wstring name = utf8ToUtf16(kWindowClassName) + L"Network";
    return name;
}

HINSTANCE instanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

// The window's outer size at dpi for the first client size.
PixelSize initialOuterSize(int dpi) {
    RECT outer{0, 0, scaleToDpi(kNetworkInitialClientWidth, dpi), scaleToDpi(kNetworkInitialClientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0, static_cast<UINT>(dpi));
    return {outer.right - outer.left, outer.bottom - outer.top};
}

HWND makeChild(Win32NetworkWindow& window, const wchar_t* className, DWORD style, const NetworkControl& control) {
    const PixelRect rect = scaleToDpi(control.rect, window.dpi);
    return CreateWindowExW(0, className, L"", style, rect.x, rect.y, rect.width, rect.height, window.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instanceOf(window.window), nullptr);
}

void setColumnWidths(HWND list, int id, int dpi) {
    const auto columns = networkTableColumns(id);
    for (std::size_t index = 0; index < columns.size(); ++index) {
        SendMessageW(list, LVM_SETCOLUMNWIDTH, index, MAKELPARAM(scaleToDpi(columns[index].width, dpi), 0));
    }
}

HWND makeList(Win32NetworkWindow& window, const NetworkControl& control) {
    const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
    const HWND list = makeChild(window, WC_LISTVIEWW, style, control);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(window.uiFont), TRUE);
    setUpReportList(list);
    const auto columns = networkTableColumns(control.id);
    for (std::size_t index = 0; index < columns.size(); ++index) {
        insertListColumn(list, static_cast<int>(index), columns[index].title, scaleToDpi(columns[index].width, window.dpi));
    }
    return list;
}

HWND makePainted(Win32NetworkWindow& window, const NetworkControl& control) {
    return makeChild(window, L"STATIC", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, control);
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

HFONT makeGridFont(HFONT uiFont, int dpi) {
    LOGFONTW font{};
    GetObjectW(uiFont, sizeof font, &font);
    font.lfHeight = -scaleToDpi(kGridTextPixelHeight, dpi);
    return CreateFontIndirectW(&font);
}

void fill(HDC dc, const RECT& area, uint32_t rgb) {
    SetBkColor(dc, colourRef(rgb));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

// A cell's edges are scaled rather than its size, so that the cells of a DPI such as 120
// (x 1.25) tile the grid without gaps or overlaps.
RECT scaledCellArea(int slot, int dpi) {
    const PixelRect cell = gridCellRect(slot);
    return {scaleToDpi(cell.x, dpi), scaleToDpi(cell.y, dpi), scaleToDpi(cell.x + cell.width, dpi),
            scaleToDpi(cell.y + cell.height, dpi)};
}

void paintGrid(const Win32NetworkWindow& window, HDC dc, const RECT& bounds) {
    fill(dc, bounds, kTableBackgroundColour);
    SelectObject(dc, window.gridFont);
    SetBkMode(dc, TRANSPARENT);
    const NetworkGrid& grid = window.grid;
    const int line = scaleToDpi(1, window.dpi);
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const RECT area = scaledCellArea(slot, window.dpi);
        const int8_t winner = grid.winnerColours[static_cast<std::size_t>(slot)];
        const uint8_t level = winner == kNoSourceColour ? 0 : grid.levels[static_cast<std::size_t>(slot)];
        fill(dc, area, kGridLineColour);
        fill(dc, RECT{area.left + line, area.top + line, area.right - line, area.bottom - line}, gridCellFill(level));
        if (winner == kNoSourceColour) continue;
        fill(dc, RECT{area.left + line, area.bottom - scaleToDpi(kGridMarkerHeight, window.dpi), area.right - line, area.bottom - line},
             sourceColour(winner));
        SetTextColor(dc, colourRef(gridCellTextColour(level)));
        std::wstring text = utf8ToUtf16(gridCellText(grid, slot));
        RECT textArea{area.left, area.top - line, area.right, area.bottom - line};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void paintLegend(const Win32NetworkWindow& window, HDC dc, const RECT& bounds) {
    fill(dc, bounds, kTableBackgroundColour);
    SelectObject(dc, window.uiFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kTableTextColour));
    const auto scaled = [&window](int pixels) { return scaleToDpi(pixels, window.dpi); };
    const int rowHeight = scaled(kLegendRowHeight);
    int y = scaled(4);
    for (const LegendEntry& entry : window.grid.legend) {
        if (y + rowHeight > bounds.bottom) break;
        fill(dc, RECT{scaled(6), y + scaled(4), scaled(18), y + scaled(16)}, entry.rgb);
        SetBkMode(dc, TRANSPARENT);
        std::wstring text = utf8ToUtf16(entry.text);
        RECT textArea{scaled(26), y, bounds.right - scaled(4), y + rowHeight};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        y += rowHeight;
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
    if (gridFont) DeleteObject(gridFont);
}

void registerNetworkWindowClass(HINSTANCE instance) {
    registerWindowClass(instance, networkClassName(), networkWindowProcedure);
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
    const std::string title = std::string(kProductTitle) + kNetworkTitleSuffix;
    if (!createFramedWindow(instance, networkClassName(), title, initialOuterSize, *window)) return nullptr;
    return window;
}

Win32NetworkWindow* networkWindowOf(HWND window) {
    return static_cast<Win32NetworkWindow*>(frameOf(window, networkClassName()));
}

void buildNetworkWindow(Win32NetworkWindow& window, HWND handle) {
    startFrame(window);
    window.gridFont = makeGridFont(window.uiFont, window.dpi);
    for (const NetworkControl& control : networkControlTable()) {
        HWND created = nullptr;
        switch (control.kind) {
            case NetworkControlKind::Label:
            case NetworkControlKind::Field:
            case NetworkControlKind::Button:
                created = createControl(handle, window.uiFont, asControlDefinition(control), window.dpi);
                break;
            case NetworkControlKind::Table: created = makeList(window, control); break;
            case NetworkControlKind::LevelGrid:
            case NetworkControlKind::Legend: created = makePainted(window, control); break;
        }
        window.controls.push_back(created);
        if (control.id != 0) window.byId[control.id] = created;
    }
    window.engines.view = makeNetworkView(window);
    fillNetworkViews(window.engines);
    // The first size may have been cut to the work area; WM_SIZE waits for the first show.
    RECT client{};
    GetClientRect(handle, &client);
    layoutNetworkControls(window, client.right, client.bottom);
    finishFrame(window, kNetworkTickPeriodMs);
}

void layoutNetworkControls(Win32NetworkWindow& window, int clientWidth, int clientHeight) {
    const int width = unscaleFromDpi(clientWidth, window.dpi);
    const int height = unscaleFromDpi(clientHeight, window.dpi);
    const auto table = networkControlTable();
    for (std::size_t index = 0; index < window.controls.size() && index < table.size(); ++index) {
        const NetworkControl& control = table[index];
        // The unnamed labels never move.
        const PixelRect rect = scaleToDpi(control.id != 0 ? networkControlRect(control.id, width, height) : control.rect, window.dpi);
        MoveWindow(window.controls[index], rect.x, rect.y, rect.width, rect.height, TRUE);
    }
}

void applyNetworkDpi(Win32NetworkWindow& window, int dpi, const RECT& suggested) {
    changeFrameDpi(window, dpi, suggested, [&window, dpi](int) {
        const HFONT previousGridFont = window.gridFont;
        window.gridFont = makeGridFont(window.uiFont, dpi);
        if (previousGridFont) DeleteObject(previousGridFont);
        for (HWND control : window.controls) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(window.uiFont), FALSE);
        for (const NetworkControl& control : networkControlTable()) {
            if (control.kind == NetworkControlKind::Table) setColumnWidths(networkControlById(window, control.id), control.id, dpi);
        }
        RECT client{};
        GetClientRect(window.window, &client);
        layoutNetworkControls(window, client.right, client.bottom);
    });
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
