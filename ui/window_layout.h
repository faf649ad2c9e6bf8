#pragma once
// How the controls follow a change of the client size. Only the level table, the
// MIDI message list and the two status texts move; every other control keeps the
// place it was created at.
#include <cstdint>

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct WindowLayout {
    PixelRect levelTable;
    PixelRect dmxStatus;
    int channelColumnWidth = 0;
    int levelColumnWidth = 0;  // "Received (RX)" and "Output (TX)" alike
    PixelRect midiList;
    PixelRect midiStatus;
};

// The scrolling lists never get less than this height, however small the window.
inline constexpr int kListHeightFloor = 100;

// Minimum outer size of the window.
inline constexpr int kMinimumOuterWidth = 1000;
inline constexpr int kMinimumOuterHeight = 800;
inline constexpr int kInitialOuterWidth = 1000;
inline constexpr int kInitialOuterHeight = 870;

// The client size arrives as two 16-bit values, as a size message carries it.
WindowLayout layoutForClientSize(uint16_t width, uint16_t height);

// Every size and place of the control table, the layout and the look is in pixels at
// 96 DPI. On a screen of more dots per inch a front end multiplies them by dpi / 96, as Qt
// does for its logical pixels (150 % scaling: 144 DPI, 1.5), rounding to the nearest pixel.
inline constexpr int kDefaultDpi = 96;
int scaleToDpi(int pixels, int dpi);
PixelRect scaleToDpi(const PixelRect& rect, int dpi);
// Back from device pixels at dpi to 96-DPI pixels, rounding down, for a client size
// given to a rule written at 96 DPI; 0 or less is 96.
int unscaleFromDpi(int pixels, int dpi);

// The layout for a client size in device pixels at dpi: the rule applied to the size in
// 96-DPI pixels, its results scaled back.
WindowLayout layoutForScaledClientSize(int width, int height, int dpi);

// A window size limited to the work area of its monitor (the screen less the task bar),
// so that a small screen or a large scaling still shows the whole window.
struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
PixelSize fitToWorkArea(PixelSize wanted, PixelSize workArea);
