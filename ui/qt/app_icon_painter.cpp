#include "app_icon_painter.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>

#include "../app_icon.h"
#include "../icon_export.h"

namespace {

QColor colour(IconColour c) { return QColor(c.red, c.green, c.blue, c.alpha); }

QPointF point(IconPoint p) { return QPointF(p.x, p.y); }

QRectF rect(IconBox box) { return QRectF(box.x, box.y, box.width, box.height); }

QPen strokePen(const QBrush& brush, int width) {
    return QPen(brush, static_cast<qreal>(width), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

QBrush gradientBrush(const IconGradient& g) {
    QLinearGradient gradient(point(g.from), point(g.to));
    gradient.setColorAt(0.0, colour(g.fromColour));
    gradient.setColorAt(1.0, colour(g.toColour));
    gradient.setSpread(QGradient::RepeatSpread);
    return QBrush(gradient);
}

// Qt counts arc angles counter-clockwise, so the design's clockwise angles are negated.
QPainterPath figurePath(const IconFigure& figure) {
    const IconSegment& first = figure.segments.front();
    QPainterPath path;
    if (first.kind == IconSegmentKind::Arc) {
        path.arcMoveTo(rect(first.arcBox), -first.startDegrees);
    } else {
        path = QPainterPath(point(first.points[0]));
    }
    for (const IconSegment& segment : figure.segments) {
        switch (segment.kind) {
            case IconSegmentKind::Line: path.lineTo(point(segment.points[1])); break;
            case IconSegmentKind::Bezier:
                path.cubicTo(point(segment.points[1]), point(segment.points[2]), point(segment.points[3]));
                break;
            case IconSegmentKind::Arc:
                path.arcTo(rect(segment.arcBox), -segment.startDegrees, -segment.sweepDegrees);
                break;
        }
    }
    if (figure.closed) {
        path.setFillRule(Qt::OddEvenFill);
        path.closeSubpath();
    }
    return path;
}

void paintStep(QPainter& painter, const IconStep& step) {
    switch (step.kind) {
        case IconStepKind::FillFigure: painter.fillPath(figurePath(*step.figure), colour(step.colour)); break;
        case IconStepKind::StrokeFigure: {
            const QBrush brush = step.gradient ? gradientBrush(*step.gradient) : QBrush(colour(step.colour));
            painter.strokePath(figurePath(*step.figure), strokePen(brush, step.penWidth));
            break;
        }
        case IconStepKind::StrokeLine:
            painter.setPen(strokePen(colour(step.colour), step.penWidth));
            painter.drawLine(point(step.lineFrom), point(step.lineTo));
            break;
        case IconStepKind::FillRectangle:
        case IconStepKind::FillEllipse:
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour(step.colour));
            if (step.kind == IconStepKind::FillRectangle) painter.drawRect(rect(step.box));
            else painter.drawEllipse(rect(step.box));
            break;
    }
}

}  // namespace

void drawAppIcon(QPainter& painter, int size) {
    const qreal scale = size / static_cast<qreal>(kIconGridSize);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const IconStep& step : appIconSteps()) paintStep(painter, step);
}

// Only QImage and QPainter are used, so no QGuiApplication and no windowing platform is needed.
std::vector<uint8_t> renderAppIconPng(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        drawAppIcon(painter, size);
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return std::vector<uint8_t>(png.begin(), png.end());
}
