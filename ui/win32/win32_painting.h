#pragma once
// The dark look of ui/window_style.h in GDI: the font, the background, the header band
// with the icon (GDI+), the owner-drawn buttons, the colours handed to standard controls,
// the level table's header and the dark title bar.
#include <windows.h>

#include <cstdint>

#include "../window_style.h"

// 0xRRGGBB as a GDI colour.
constexpr COLORREF colourRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The one font: the first installed family of the font rule, 16 pixels high at 96 DPI
// (scaled to dpi), weight 400.
HFONT makeUiFont(int dpi);

// WM_ERASEBKGND: the whole client area in the background colour.
void fillBackground(HWND window, HDC dc, HBRUSH background);

// WM_PAINT: the icon at (20, 15) in 76 px, the title and the subtitle, scaled to dpi.
void paintHeaderBand(HWND window, HFONT font, int dpi);

// WM_DRAWITEM of a button: flat face (pressed or not), outline and centred text.
void paintButton(const DRAWITEMSTRUCT& item);

// WM_DRAWITEM of a selector (owner-drawn): its face and its drop-down rows, in the
// light text whether the selector is enabled or not; the chosen row on the selection
// colour.
void paintSelectorItem(const DRAWITEMSTRUCT& item);

// WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORSTATIC: light text on the background.
HBRUSH controlColours(HDC dc, HBRUSH background);

// A disabled text field draws its text in the light colour too (an edit control would
// grey it whatever its parent answers), as the Qt window does.
void keepLightTextWhenDisabled(HWND field);

// Classic drawing for a control whose visual style would paint a light face over the
// window's colours (the selectors under Common Controls 6).
void useClassicDrawing(HWND control);

// A report list's header (the level table's, the Network window's) draws flat titles on
// one band from then on, in its window's font.
void subclassListHeader(HWND header);

// The icon drawn at size x size, for a program without its icon resource; nullptr when
// GDI+ cannot make it. The caller destroys it.
HICON makeWindowIcon(int size);

// Asks the desktop window manager for a dark title bar; systems without it keep theirs.
void requestDarkTitleBar(HWND window);
