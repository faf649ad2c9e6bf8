#include "app_icon_painter.h"

#include "../app_icon.h"
#include "../icon_export.h"
#include "gdiplus_png.h"

namespace {

Gdiplus::Color colour(IconColour c) { return Gdiplus::Color(c.alpha, c.red, c.green, c.blue); }

Gdiplus::Point point(IconPoint p) { return Gdiplus::Point(p.x, p.y); }

// GDI+ turns arc angles clockwise on screen, as the design does.
void addFigure(Gdiplus::GraphicsPath& path, const IconFigure& figure) {
    for (const IconSegment& s : figure.segments) {
        switch (s.kind) {
            case IconSegmentKind::Line: path.AddLine(point(s.points[0]), point(s.points[1])); break;
            case IconSegmentKind::Bezier:
                path.AddBezier(point(s.points[0]), point(s.points[1]), point(s.points[2]), point(s.points[3]));
                break;
            case IconSegmentKind::Arc:
                path.AddArc(s.arcBox.x, s.arcBox.y, s.arcBox.width, s.arcBox.height, static_cast<Gdiplus::REAL>(s.startDegrees),
                            static_cast<Gdiplus::REAL>(s.sweepDegrees));
                break;
        }
    }
    if (figure.closed) path.CloseFigure();
}

// Pens are made with the world unit, so their widths scale with the drawing; the default
// style is solid with flat caps and miter joins.
void strokeFigure(Gdiplus::Graphics& graphics, const IconStep& step) {
    Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
    addFigure(path, *step.figure);
    const auto width = static_cast<Gdiplus::REAL>(step.penWidth);
    if (step.gradient == nullptr) {
        Gdiplus::Pen pen(colour(step.colour), width);
        graphics.DrawPath(&pen, &path);
        return;
    }
    const IconGradient& g = *step.gradient;
    Gdiplus::LinearGradientBrush brush(point(g.from), point(g.to), colour(g.fromColour), colour(g.toColour));
    brush.SetWrapMode(Gdiplus::WrapModeTile);
    Gdiplus::Pen pen(&brush, width);
    graphics.DrawPath(&pen, &path);
}

void paintStep(Gdiplus::Graphics& graphics, const IconStep& step) {
    const IconBox& b = step.box;
    switch (step.kind) {
        case IconStepKind::FillFigure: {
            Gdiplus::GraphicsPath path(Gdiplus::FillModeAlternate);
            addFigure(path, *step.figure);
            Gdiplus::SolidBrush brush(colour(step.colour));
            graphics.FillPath(&brush, &path);
            break;
        }
        case IconStepKind::StrokeFigure: strokeFigure(graphics, step); break;
        case IconStepKind::StrokeLine: {
            Gdiplus::Pen pen(colour(step.colour), static_cast<Gdiplus::REAL>(step.penWidth));
            graphics.DrawLine(&pen, point(step.lineFrom), point(step.lineTo));
            break;
        }
        case IconStepKind::FillRectangle: {
            Gdiplus::SolidBrush brush(colour(step.colour));
            graphics.FillRectangle(&brush, b.x, b.y, b.width, b.height);
            break;
        }
        case IconStepKind::FillEllipse: {
            Gdiplus::SolidBrush brush(colour(step.colour));
            graphics.FillEllipse(&brush, b.x, b.y, b.width, b.height);
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

// A 32-bit ARGB bitmap starts fully transparent: the corners outside the tile stay so.
std::vector<uint8_t> renderAppIconPng(int size) {
    Gdiplus::Bitmap bitmap(size, size, PixelFormat32bppARGB);
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return {};
    {
        Gdiplus::Graphics graphics(&bitmap);
        if (graphics.GetLastStatus() != Gdiplus::Ok) return {};
        drawAppIcon(graphics, size);
    }
    return encodePng(bitmap);
}
