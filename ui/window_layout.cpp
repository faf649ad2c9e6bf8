#include "window_layout.h"

#include <algorithm>
#include <cstdint>

WindowLayout layoutForClientSize(uint16_t width, uint16_t height) {
    const int w = width;
    const int h = height;
    WindowLayout layout;
    layout.levelTable = {20, 344, w - 40, std::max(h - 430, kListHeightFloor)};
    layout.dmxStatus = {20, h - 72, w - 40, 60};
    layout.channelColumnWidth = 110;
    // A column cannot be narrower than nothing; below a client width of 170 it
    // would come out negative.
    layout.levelColumnWidth = std::max((w - 170) / 2, 0);
    layout.midiList = {20, 490, w - 40, std::max(h - 576, kListHeightFloor)};
    layout.midiStatus = {20, h - 72, w - 40, 60};
    return layout;
}

int scaleToDpi(int pixels, int dpi) {
    const int64_t scaled = static_cast<int64_t>(pixels) * dpi;
    // Half a pixel rounds away from zero, for negative places as for positive ones.
    return static_cast<int>(scaled >= 0 ? (scaled + kDefaultDpi / 2) / kDefaultDpi : (scaled - kDefaultDpi / 2) / kDefaultDpi);
}

PixelRect scaleToDpi(const PixelRect& rect, int dpi) {
    return {scaleToDpi(rect.x, dpi), scaleToDpi(rect.y, dpi), scaleToDpi(rect.width, dpi), scaleToDpi(rect.height, dpi)};
}

int unscaleFromDpi(int pixels, int dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    return static_cast<int>(static_cast<int64_t>(pixels) * kDefaultDpi / dpi);
}

WindowLayout layoutForScaledClientSize(int width, int height, int dpi) {
    if (dpi <= 0) dpi = kDefaultDpi;
    const auto unscaled = [dpi](int pixels) { return static_cast<uint16_t>(std::clamp(unscaleFromDpi(pixels, dpi), 0, 0xFFFF)); };
    WindowLayout layout = layoutForClientSize(unscaled(width), unscaled(height));
    for (PixelRect* rect : {&layout.levelTable, &layout.dmxStatus, &layout.midiList, &layout.midiStatus})
        *rect = scaleToDpi(*rect, dpi);
    layout.channelColumnWidth = scaleToDpi(layout.channelColumnWidth, dpi);
    layout.levelColumnWidth = scaleToDpi(layout.levelColumnWidth, dpi);
    return layout;
}

PixelSize fitToWorkArea(PixelSize wanted, PixelSize workArea) {
    return {std::min(wanted.width, workArea.width), std::min(wanted.height, workArea.height)};
}
