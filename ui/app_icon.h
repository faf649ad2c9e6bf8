#pragma once
// The application icon, described once for every toolkit: figures and paints on a
// 256 x 256 design grid (origin top-left, y downwards), drawn step by step in order,
// each step over the earlier ones. A painter per toolkit walks appIconSteps()
// (drawAppIcon in ui/qt/app_icon_painter.cpp; GDI+ on Windows): scaled so the grid
// covers size x size pixels, anti-aliased, pens with flat caps and miter joins whose
// widths scale with the drawing.
#include <cstdint>
#include <span>

inline constexpr int kIconGridSize = 256;
inline constexpr int kExportedIconSize = 256;  // --export-icon

struct IconColour {
    uint8_t alpha, red, green, blue;
};
struct IconPoint {
    int x, y;
};
struct IconBox {
    int x, y, width, height;
};

// One piece of a figure; each continues from where the previous one ended.
enum class IconSegmentKind { Line, Bezier, Arc };
struct IconSegment {
    IconSegmentKind kind;
    IconPoint points[4];  // Line: from, to. Bezier: from, control 1, control 2, to.
    IconBox arcBox;       // Arc: the box of its ellipse; the angles are in degrees from
    int startDegrees;     // the positive x axis, positive turning clockwise on screen
    int sweepDegrees;     // (towards positive y)
};
struct IconFigure {
    std::span<const IconSegment> segments;
    bool closed;  // closed figures are filled with the alternate (even-odd) rule
};

// A pen painted with a two-colour linear gradient, repeated (tiled) beyond its ends.
struct IconGradient {
    IconPoint from;
    IconColour fromColour;
    IconPoint to;
    IconColour toColour;
};

enum class IconStepKind { FillFigure, StrokeFigure, StrokeLine, FillRectangle, FillEllipse };
struct IconStep {
    IconStepKind kind;
    const IconFigure* figure;        // FillFigure, StrokeFigure
    IconColour colour;               // the solid paint, unless gradient is set
    int penWidth;                    // strokes, in grid units
    IconPoint lineFrom, lineTo;      // StrokeLine
    IconBox box;                     // FillRectangle; FillEllipse: the ellipse's box
    const IconGradient* gradient;    // StrokeFigure with a gradient pen
};

// The drawing order: tile, signal trace with its glow, vessel with its glow, rim bar,
// liquid, bubbles, and the gradient frame round the tile.
std::span<const IconStep> appIconSteps();
