#include "app_icon.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

namespace {

constexpr QColor kTile{0x05, 0x0C, 0x1C, 0xFF};
constexpr QColor kTraceGlow{0x14, 0xE6, 0xFF, 0x12};
constexpr QColor kTrace{0x1E, 0xEB, 0xFF, 0xFF};
constexpr QColor kVesselGlow{0xF5, 0x20, 0xE9, 0x16};
constexpr QColor kVessel{0xE4, 0xF5, 0xFF, 0xFF};
constexpr QColor kRim{0xF5, 0x26, 0xE7, 0xFF};
constexpr QColor kLiquid{0xCF, 0x22, 0xEC, 0xE1};
constexpr QColor kBubble{0x3C, 0xEC, 0xFF, 0xFF};

QPen strokePen(const QBrush& brush, double width) {
    return QPen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// Square (3,3)-(253,253) with corners of radius 22, built from four quarter arcs.
// Qt counts arc angles counter-clockwise, so the design's clockwise angles are negated.
QPainterPath tileOutline() {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.arcMoveTo(QRectF(3, 3, 44, 44), -180);
    path.arcTo(QRectF(3, 3, 44, 44), -180, -90);
    path.arcTo(QRectF(209, 3, 44, 44), -270, -90);
    path.arcTo(QRectF(209, 209, 44, 44), 0, -90);
    path.arcTo(QRectF(3, 209, 44, 44), -90, -90);
    path.closeSubpath();
    return path;
}

QPainterPath signalTrace() {
    QPainterPath path(QPointF(12, 140));
    path.lineTo(48, 140);
    path.cubicTo(62, 140, 63, 112, 76, 140);
    path.cubicTo(88, 175, 91, 71, 110, 119);
    path.cubicTo(122, 165, 128, 140, 144, 140);
    path.lineTo(244, 140);
    return path;
}

QPainterPath vesselOutline() {
    QPainterPath path(QPointF(141, 43));
    path.lineTo(141, 160);
    path.cubicTo(141, 205, 195, 205, 195, 160);
    path.lineTo(195, 43);
    return path;
}

// Translucent strokes, widest first, so the glow is densest along the centre line.
void strokeGlow(QPainter& painter, const QPainterPath& path, const QColor& colour, double widest) {
    for (int i = 0; i < 5; ++i) painter.strokePath(path, strokePen(colour, widest - 3.0 * i));
}

QPen framePen() {
    QLinearGradient gradient(QPointF(0, 0), QPointF(256, 256));
    gradient.setColorAt(0.0, kTrace);
    gradient.setColorAt(1.0, kRim);
    gradient.setSpread(QGradient::RepeatSpread);
    return strokePen(QBrush(gradient), 2);
}

}  // namespace

void drawAppIcon(QPainter& painter, int size) {
    painter.scale(size / 256.0, size / 256.0);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QPainterPath tile = tileOutline();
    painter.fillPath(tile, kTile);

    const QPainterPath trace = signalTrace();
    strokeGlow(painter, trace, kTraceGlow, 14);
    painter.strokePath(trace, strokePen(kTrace, 3));

    const QPainterPath vessel = vesselOutline();
    strokeGlow(painter, vessel, kVesselGlow, 15);
    painter.strokePath(vessel, strokePen(kVessel, 4));

    painter.setPen(strokePen(kRim, 5));
    painter.drawLine(QPointF(132, 42), QPointF(204, 42));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kLiquid);
    painter.drawRect(QRectF(147, 126, 42, 36));
    painter.drawEllipse(QRectF(147, 142, 42, 42));
    painter.setBrush(kBubble);
    painter.drawEllipse(QRectF(157, 102, 9, 9));
    painter.drawEllipse(QRectF(176, 80, 6, 6));

    painter.strokePath(tile, framePen());
}
