#include "window_layout.h"

#include <algorithm>

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
