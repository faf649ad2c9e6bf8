#pragma once
// The client area of a window as painted, 0xRRGGBB per pixel, and the colour counts the
// pixel cases read from it.
#include <cstdint>
#include <cstdlib>
#include <vector>

struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // row by row from the top left
    uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Whether every channel of a is within tolerance of b's.
inline bool within(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
    }
    return true;
}

// How many pixels of the area are within tolerance of the colour. Text is anti-aliased,
// so glyph pixels are counted with some tolerance.
inline int countColour(const WindowPicture& picture, int x, int y, int width, int height, uint32_t colour, int tolerance) {
    int count = 0;
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) count += within(picture.at(column, row), colour, tolerance);
    }
    return count;
}
