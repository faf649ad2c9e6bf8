#pragma once
// The window's look, for every front end: the palette (as 0xRRGGBB), the one font and
// the header band above the pages.
#include <cstdint>
#include <functional>

inline constexpr uint32_t kBackgroundColour = 0x0A111E;      // client and control background
inline constexpr uint32_t kControlTextColour = 0xE4EEF9;     // labels, fields, lists
inline constexpr uint32_t kTableBackgroundColour = 0x0E1928;
inline constexpr uint32_t kTableTextColour = 0xE1EDF9;
inline constexpr uint32_t kTableHeaderBackgroundColour = 0x172335;
inline constexpr uint32_t kTableHeaderTextColour = 0x59DDEA;
inline constexpr uint32_t kButtonFaceColour = 0x182334;
inline constexpr uint32_t kButtonPressedColour = 0x1B4150;
inline constexpr uint32_t kButtonOutlineColour = 0x30809A;
inline constexpr uint32_t kButtonTextColour = 0xD2F0F9;
inline constexpr uint32_t kTitleTextColour = 0x46E7F5;
inline constexpr uint32_t kSubtitleTextColour = 0xB797E8;

// Our own choices where the look leaves it open: grid lines, field outlines,
// the selected row and the scroll bars.
inline constexpr uint32_t kGridLineColour = 0x26384F;
inline constexpr uint32_t kFieldOutlineColour = 0x2B3D55;
inline constexpr uint32_t kSelectionColour = 0x1B4150;
inline constexpr uint32_t kScrollTrackColour = 0x0E1928;
inline constexpr uint32_t kScrollHandleColour = 0x2B3D55;

// Header band, fixed whatever the window size; it ends above the first row at y 112.
inline constexpr int kHeaderBandHeight = 100;
inline constexpr int kHeaderIconX = 20;
inline constexpr int kHeaderIconY = 15;
inline constexpr int kHeaderIconSize = 76;
inline constexpr int kTitleX = 116;
inline constexpr int kTitleY = 27;
inline constexpr int kSubtitleX = 116;
inline constexpr int kSubtitleY = 54;
inline constexpr const char* kTitleText = "VELMORA LUMIBOX";
inline constexpr const char* kSubtitleText = "DMX / MIDI · Monitor and test sender";
inline constexpr int kHeaderTitleIndent = 8;  // column titles start this far in

// The one font: every control and the header band use it, at a character height of
// 16 pixels and normal weight. The first family of the list that is installed wins;
// the labels are sized for Segoe UI, and of Debian's sans fonts DejaVu Sans Condensed
// (fonts-dejavu-extra) fits them all at 16 px.
inline constexpr int kUiFontPixelHeight = 16;
inline constexpr const char* kUiFontFamilies[] = {"Segoe UI", "DejaVu Sans Condensed"};
inline constexpr const char* kUiFontLastResort = "DejaVu Sans";

// The family the rule picks, given the toolkit's answer to "is this family installed?".
const char* chooseUiFontFamily(const std::function<bool(const char* family)>& installed);
