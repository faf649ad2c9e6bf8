#include "app_icon.h"

namespace {

constexpr IconSegment line(IconPoint from, IconPoint to) {
    return {IconSegmentKind::Line, {from, to, {}, {}}, {}, 0, 0};
}
constexpr IconSegment bezier(IconPoint from, IconPoint control1, IconPoint control2, IconPoint to) {
    return {IconSegmentKind::Bezier, {from, control1, control2, to}, {}, 0, 0};
}
constexpr IconSegment arc(IconBox box, int startDegrees, int sweepDegrees) {
    return {IconSegmentKind::Arc, {}, box, startDegrees, sweepDegrees};
}

// The square from (3, 3) to (253, 253) with corners of radius 22.
constexpr IconSegment kTileSegments[] = {
    arc({3, 3, 44, 44}, 180, 90),
    arc({209, 3, 44, 44}, 270, 90),
    arc({209, 209, 44, 44}, 0, 90),
    arc({3, 209, 44, 44}, 90, 90),
};
constexpr IconSegment kTraceSegments[] = {
    line({12, 140}, {48, 140}),
    bezier({48, 140}, {62, 140}, {63, 112}, {76, 140}),
    bezier({76, 140}, {88, 175}, {91, 71}, {110, 119}),
    bezier({110, 119}, {122, 165}, {128, 140}, {144, 140}),
    line({144, 140}, {244, 140}),
};
constexpr IconSegment kVesselSegments[] = {
    line({141, 43}, {141, 160}),
    bezier({141, 160}, {141, 205}, {195, 205}, {195, 160}),
    line({195, 160}, {195, 43}),
};

constexpr IconFigure kTileOutline{kTileSegments, true};
constexpr IconFigure kSignalTrace{kTraceSegments, false};
constexpr IconFigure kVesselOutline{kVesselSegments, false};

constexpr IconColour kTile{0xFF, 0x05, 0x0C, 0x1C};
constexpr IconColour kTraceGlow{0x12, 0x14, 0xE6, 0xFF};
constexpr IconColour kTrace{0xFF, 0x1E, 0xEB, 0xFF};
constexpr IconColour kVesselGlow{0x16, 0xF5, 0x20, 0xE9};
constexpr IconColour kVessel{0xFF, 0xE4, 0xF5, 0xFF};
constexpr IconColour kRim{0xFF, 0xF5, 0x26, 0xE7};
constexpr IconColour kLiquid{0xE1, 0xCF, 0x22, 0xEC};
constexpr IconColour kBubble{0xFF, 0x3C, 0xEC, 0xFF};

constexpr IconGradient kFrameGradient{{0, 0}, kTrace, {256, 256}, kRim};

constexpr IconStep fillFigure(const IconFigure& figure, IconColour colour) {
    return {IconStepKind::FillFigure, &figure, colour, 0, {}, {}, {}, nullptr};
}
constexpr IconStep strokeFigure(const IconFigure& figure, IconColour colour, int width) {
    return {IconStepKind::StrokeFigure, &figure, colour, width, {}, {}, {}, nullptr};
}
constexpr IconStep strokeFigure(const IconFigure& figure, const IconGradient& gradient, int width) {
    return {IconStepKind::StrokeFigure, &figure, {}, width, {}, {}, {}, &gradient};
}
constexpr IconStep strokeLine(IconPoint from, IconPoint to, IconColour colour, int width) {
    return {IconStepKind::StrokeLine, nullptr, colour, width, from, to, {}, nullptr};
}
constexpr IconStep fillRectangle(IconBox box, IconColour colour) {
    return {IconStepKind::FillRectangle, nullptr, colour, 0, {}, {}, box, nullptr};
}
constexpr IconStep fillEllipse(IconBox box, IconColour colour) {
    return {IconStepKind::FillEllipse, nullptr, colour, 0, {}, {}, box, nullptr};
}

// The glow strokes are translucent and overlap, widest first, so the glow is densest
// along the centre line and fades over 7 units (trace) and 7.5 units (vessel).
constexpr IconStep kSteps[] = {
    fillFigure(kTileOutline, kTile),
    strokeFigure(kSignalTrace, kTraceGlow, 14),
    strokeFigure(kSignalTrace, kTraceGlow, 11),
    strokeFigure(kSignalTrace, kTraceGlow, 8),
    strokeFigure(kSignalTrace, kTraceGlow, 5),
    strokeFigure(kSignalTrace, kTraceGlow, 2),
    strokeFigure(kSignalTrace, kTrace, 3),
    strokeFigure(kVesselOutline, kVesselGlow, 15),
    strokeFigure(kVesselOutline, kVesselGlow, 12),
    strokeFigure(kVesselOutline, kVesselGlow, 9),
    strokeFigure(kVesselOutline, kVesselGlow, 6),
    strokeFigure(kVesselOutline, kVesselGlow, 3),
    strokeFigure(kVesselOutline, kVessel, 4),
    strokeLine({132, 42}, {204, 42}, kRim, 5),
    fillRectangle({147, 126, 42, 36}, kLiquid),
    fillEllipse({147, 142, 42, 42}, kLiquid),
    fillEllipse({157, 102, 9, 9}, kBubble),
    fillEllipse({176, 80, 6, 6}, kBubble),
    strokeFigure(kTileOutline, kFrameGradient, 2),
};

}  // namespace

std::span<const IconStep> appIconSteps() { return kSteps; }
