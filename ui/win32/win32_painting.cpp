#include "win32_painting.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <uxtheme.h>
#include <objidl.h>  // before gdiplus.h, which uses IStream without including it
#include <gdiplus.h>

#include <string>

#include "../../core/utf16_text_win32.h"
#include "app_icon_painter.h"
#include "win32_window_frame.h"

namespace {

// Older SDK headers do not name the attribute.
constexpr DWORD kUseImmersiveDarkMode = 20;

constexpr UINT_PTR kListHeaderSubclassId = 1;
constexpr UINT_PTR kDisabledFieldSubclassId = 2;
constexpr int kHeaderTitleBufferLength = 100;
constexpr int kButtonTextBufferLength = 128;
constexpr int kSelectorTextIndent = 3;

int CALLBACK noteFamilyFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one match is enough
}

bool isFontInstalled(const char* family) {
    const std::wstring name = utf8ToUtf16(family);
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, name.c_str(), LF_FACESIZE);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &query, noteFamilyFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

void drawText(HDC dc, int x, int y, uint32_t colour, const char* text) {
    const std::wstring wide = utf8ToUtf16(text);
    SetTextColor(dc, colourRef(colour));
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

// The window a list of either window belongs to.
const Win32WindowFrame* topWindowOf(HWND control) { return frameOf(GetAncestor(control, GA_ROOT)); }

// The header of a report list: its own band colour and titles, 8 pixels in, no
// dividers, sort marks or pressed look. Mouse handling stays the header's own.
LRESULT CALLBACK paintListHeader(HWND header, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_PAINT) return DefSubclassProc(header, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(header, &paint);
    RECT client;
    GetClientRect(header, &client);
    const HBRUSH band = CreateSolidBrush(colourRef(kTableHeaderBackgroundColour));
    FillRect(dc, &client, band);
    DeleteObject(band);
    const Win32WindowFrame* window = topWindowOf(header);
    const HGDIOBJ previousFont = SelectObject(dc, window ? window->uiFont : nullptr);
    const int indent = scaleToDpi(kHeaderTitleIndent, window ? window->dpi : kDefaultDpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kTableHeaderTextColour));
    for (int index = 0; index < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); ++index) {
        RECT item{};
        SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        wchar_t title[kHeaderTitleBufferLength] = {};
        HDITEMW query{};
        query.mask = HDI_TEXT;
        query.pszText = title;
        query.cchTextMax = kHeaderTitleBufferLength;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&query));
        item.left += indent;
        DrawTextW(dc, title, -1, &item, DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, previousFont);
    EndPaint(header, &paint);
    return 0;
}

void fillRect(HDC dc, const RECT& area, uint32_t colour) {
    const HBRUSH brush = CreateSolidBrush(colourRef(colour));
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

std::wstring selectorRowText(HWND selector, UINT row) {
    const LRESULT length = SendMessageW(selector, CB_GETLBTEXTLEN, row, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(selector, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Only the disabled look is ours: the field's text where the edit control would put it,
// in the light colour on the background. An enabled field paints itself.
LRESULT CALLBACK paintDisabledField(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message != WM_PAINT || IsWindowEnabled(field)) return DefSubclassProc(field, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(field, &paint);
    RECT client;
    GetClientRect(field, &client);
    fillRect(dc, client, kBackgroundColour);
    RECT textArea{};
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&textArea));
    const int length = GetWindowTextLengthW(field);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(field, text.data(), length + 1);
    const HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kControlTextColour));
    DrawTextW(dc, text.c_str(), length, &textArea, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    SelectObject(dc, previousFont);
    EndPaint(field, &paint);
    return 0;
}

}  // namespace

HFONT makeUiFont(int dpi) {
    const std::wstring family = utf8ToUtf16(chooseUiFontFamily(isFontInstalled));
    return CreateFontW(-scaleToDpi(kUiFontPixelHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family.c_str());
}

void fillBackground(HWND window, HDC dc, HBRUSH background) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, background);
}

void paintHeaderBand(HWND window, HFONT font, int dpi) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    {
        // A failing GDI+ call is kept as the object's last status; the texts are drawn anyway.
        Gdiplus::Graphics graphics(dc);
        const Gdiplus::GraphicsState saved = graphics.Save();
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(scaleToDpi(kHeaderIconX, dpi)),
                                    static_cast<Gdiplus::REAL>(scaleToDpi(kHeaderIconY, dpi)));
        drawAppIcon(graphics, scaleToDpi(kHeaderIconSize, dpi));
        graphics.Restore(saved);
    }
    SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ previousFont = SelectObject(dc, font);
    drawText(dc, scaleToDpi(kTitleX, dpi), scaleToDpi(kTitleY, dpi), kTitleTextColour, kTitleText);
    drawText(dc, scaleToDpi(kSubtitleX, dpi), scaleToDpi(kSubtitleY, dpi), kSubtitleTextColour, kSubtitleText);
    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

// Focus and disabled states look like the normal one; the text is read from the button
// each time, so a changed caption shows at the next repaint.
void paintButton(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    RECT area = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const HBRUSH face = CreateSolidBrush(colourRef(pressed ? kButtonPressedColour : kButtonFaceColour));
    FillRect(dc, &area, face);
    DeleteObject(face);

    const HPEN outline = CreatePen(PS_SOLID, 1, colourRef(kButtonOutlineColour));
    const HGDIOBJ previousPen = SelectObject(dc, outline);
    const HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, area.left, area.top, area.right, area.bottom);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(outline);

    wchar_t text[kButtonTextBufferLength] = {};
    GetWindowTextW(item.hwndItem, text, kButtonTextBufferLength);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kButtonTextColour));
    DrawTextW(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void paintSelectorItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    const bool face = (item.itemState & ODS_COMBOBOXEDIT) != 0;
    const bool chosen = !face && (item.itemState & ODS_SELECTED) != 0;
    fillRect(dc, item.rcItem, chosen ? kSelectionColour : kBackgroundColour);
    if (item.itemID == static_cast<UINT>(-1)) return;  // nothing chosen yet
    const std::wstring text = selectorRowText(item.hwndItem, item.itemID);
    RECT area = item.rcItem;
    area.left += kSelectorTextIndent;
    const HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(kControlTextColour));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    SelectObject(dc, previousFont);
}

HBRUSH controlColours(HDC dc, HBRUSH background) {
    SetTextColor(dc, colourRef(kControlTextColour));
    SetBkColor(dc, colourRef(kBackgroundColour));
    return background;
}

void subclassListHeader(HWND header) { SetWindowSubclass(header, paintListHeader, kListHeaderSubclassId, 0); }

void keepLightTextWhenDisabled(HWND field) { SetWindowSubclass(field, paintDisabledField, kDisabledFieldSubclassId, 0); }

// A blank theme name matches no visual style, which is the documented way to turn it off
// for one control.
void useClassicDrawing(HWND control) { SetWindowTheme(control, L" ", L" "); }

HICON makeWindowIcon(int size) {
    Gdiplus::Bitmap bitmap(size, size, PixelFormat32bppARGB);
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics graphics(&bitmap);
        drawAppIcon(graphics, size);
    }
    HICON icon = nullptr;
    return bitmap.GetHICON(&icon) == Gdiplus::Ok ? icon : nullptr;
}

void requestDarkTitleBar(HWND window) {
    const BOOL dark = TRUE;
    DwmSetWindowAttribute(window, kUseImmersiveDarkMode, &dark, sizeof dark);  // failure changes nothing
}
