#pragma once
// Pixels of the icon at 256 x 256 whose colours the design fixes, for every painter's tests
// and for the exported files of both platforms.

struct ExpectedIconPixel {
    const char* what;
    int x, y;
    int r, g, b;  // opaque
};

// Each point lies well inside one shape, or at a known distance from a stroke's centre line,
// so the expected colour follows from the design's paints composited over each other.
inline constexpr ExpectedIconPixel kIconDesignPixels[] = {
    {"tile interior", 30, 60, 0x05, 0x0C, 0x1C},
    {"trace flat segment core", 30, 140, 0x1E, 0xEB, 0xFF},
    {"trace glow, 4 units off: two layers", 30, 144, 7, 41, 59},
    {"trace glow, 6 units off: widest layer only", 30, 146, 6, 27, 44},
    {"beyond the trace glow", 30, 148, 0x05, 0x0C, 0x1C},
    // Flat caps: neither the core nor the glow reaches past the trace's end points.
    {"just before the trace start", 11, 140, 0x05, 0x0C, 0x1C},
    {"just past the trace end", 244, 140, 0x05, 0x0C, 0x1C},
    {"vessel wall core", 141, 80, 0xE4, 0xF5, 0xFF},
    {"rim bar", 168, 42, 0xF5, 0x26, 0xE7},
    {"liquid, ellipse only, over the tile", 168, 170, 184, 31, 211},
    {"liquid, rectangle and ellipse overlap", 168, 150, 205, 34, 233},
    {"large bubble centre", 161, 106, 0x3C, 0xEC, 0xFF},
    {"small bubble centre", 179, 83, 0x3C, 0xEC, 0xFF},
    // Frame: gradient from 1EEBFF at (0,0) to F526E7 at (256,256), sampled at (x+y+1)/512.
    {"frame, left edge", 3, 128, 85, 184, 249},
    {"frame, top edge", 128, 3, 85, 184, 249},
    {"frame, right edge", 253, 128, 190, 88, 237},
    {"frame, bottom edge", 128, 253, 190, 88, 237},
};

// Outside the frame, whose outer edge is at 2 units and whose corners have radius 23.
inline constexpr int kIconTransparentPixels[][2] = {{0, 0}, {255, 255}, {255, 0}, {0, 255},
                                                    {1, 128}, {254, 128}, {128, 1}, {5, 5}};
