#include "gdiplus_icon_painter.h"

#include "../app_icon.h"

namespace {

Gdiplus::Color colour(IconColour c) { return Gdiplus::Color(c.alpha, c.red, c.green, c.blue); }

Gdiplus::Point point(IconPoint p) { return Gdiplus::Point(p.x, p.y); }

// GDI+ measures arc angles clockwise from the x axis, as the design does. A failing
// call leaves its status on the path and drawing goes on.
void buildPath(Gdiplus::GraphicsPath& path, const IconFigure& figure) {
    path.SetFillMode(Gdiplus::FillModeAlternate);
    for (const IconSegment& segment : figure.segments) {
        switch (segment.kind) {
            case IconSegmentKind::Line: path.AddLine(point(segment.points[0]), point(segment.points[1])); break;
            case IconSegmentKind::Bezier:
                path.AddBezier(point(segment.points[0]), point(segment.points[1]), point(segment.points[2]),
                               point(segment.points[3]));
                break;
            case IconSegmentKind::Arc:
                path.AddArc(segment.arcBox.x, segment.arcBox.y, segment.arcBox.width, segment.arcBox.height,
                            static_cast<Gdiplus::REAL>(segment.startDegrees), static_cast<Gdiplus::REAL>(segment.sweepDegrees));
                break;
        }
    }
    if (figure.closed) path.CloseFigure();
}

// Pens in world units (their widths scale with the drawing), flat caps, miter joins.
void stroke(Gdiplus::Graphics& graphics, const IconStep& step, const Gdiplus::GraphicsPath* path) {
    const auto width = static_cast<Gdiplus::REAL>(step.penWidth);
    if (step.gradient) {
        const IconGradient& g = *step.gradient;
        Gdiplus::LinearGradientBrush brush(point(g.from), point(g.to), colour(g.fromColour), colour(g.toColour));
        brush.SetWrapMode(Gdiplus::WrapModeTile);
        Gdiplus::Pen pen(&brush, width);
        if (path) graphics.DrawPath(&pen, path);
        return;
    }
    Gdiplus::Pen pen(colour(step.colour), width);
    pen.SetLineJoin(Gdiplus::LineJoinMiter);
    pen.SetStartCap(Gdiplus::LineCapFlat);
    pen.SetEndCap(Gdiplus::LineCapFlat);
    if (path) graphics.DrawPath(&pen, path);
    else graphics.DrawLine(&pen, point(step.lineFrom), point(step.lineTo));
}

void paintStep(Gdiplus::Graphics& graphics, const IconStep& step) {
    switch (step.kind) {
        case IconStepKind::FillFigure: {
            Gdiplus::GraphicsPath path;
            buildPath(path, *step.figure);
            Gdiplus::SolidBrush brush(colour(step.colour));
            graphics.FillPath(&brush, &path);
            break;
        }
        case IconStepKind::StrokeFigure: {
            Gdiplus::GraphicsPath path;
            buildPath(path, *step.figure);
            stroke(graphics, step, &path);
            break;
        }
        case IconStepKind::StrokeLine: stroke(graphics, step, nullptr); break;
        case IconStepKind::FillRectangle:
        case IconStepKind::FillEllipse: {
            Gdiplus::SolidBrush brush(colour(step.colour));
            const IconBox& box = step.box;
            if (step.kind == IconStepKind::FillRectangle) graphics.FillRectangle(&brush, box.x, box.y, box.width, box.height);
            else graphics.FillEllipse(&brush, box.x, box.y, box.width, box.height);
            break;
        }
    }
}

}  // namespace

void drawAppIcon(Gdiplus::Graphics& graphics, int size) {
    const auto scale = static_cast<Gdiplus::REAL>(size) / kIconGridSize;
    graphics.ScaleTransform(scale, scale, Gdiplus::MatrixOrderPrepend);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    for (const IconStep& step : appIconSteps()) paintStep(graphics, step);
}
