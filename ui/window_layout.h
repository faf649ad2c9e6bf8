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
