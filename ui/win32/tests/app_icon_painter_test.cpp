// The GDI+ icon painter at points the design fixes. GDI+ is started by the environment in
// gdiplus_png_test.cpp, which shares this program. Wine's GDI+ draws without
// anti-aliasing, so the points lie away from edges and the tolerance is a few levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "ui/tests/icon_design_pixels.h"
#include "ui/win32/app_icon_painter.h"

namespace {

constexpr int kTolerance = 3;

std::unique_ptr<Gdiplus::Bitmap> renderIcon(int width, int height, int size, int left = 0, int top = 0) {
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.TranslateTransform(static_cast<Gdiplus::REAL>(left), static_cast<Gdiplus::REAL>(top));
    drawAppIcon(graphics, size);
    return bitmap;
}

Gdiplus::Color pixel(Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color colour;
    EXPECT_EQ(bitmap.GetPixel(x, y, &colour), Gdiplus::Ok);
    return colour;
}

TEST(GdiplusIconPainter, PixelsAtDesignPoints) {
    const auto image = renderIcon(256, 256, 256);
    for (const ExpectedIconPixel& e : kIconDesignPixels) {
        SCOPED_TRACE(e.what);
        const Gdiplus::Color c = pixel(*image, e.x, e.y);
        EXPECT_EQ(c.GetA(), 255);
        EXPECT_NEAR(c.GetR(), e.r, kTolerance);
        EXPECT_NEAR(c.GetG(), e.g, kTolerance);
        EXPECT_NEAR(c.GetB(), e.b, kTolerance);
    }
    for (const auto& p : kIconTransparentPixels) EXPECT_EQ(pixel(*image, p[0], p[1]).GetA(), 0) << p[0] << "," << p[1];
}

TEST(GdiplusIconPainter, DrawsFromTheGraphicsCurrentOrigin) {
    // The window header translates to (20, 15) and draws at 76 px.
    const auto placed = renderIcon(120, 110, 76, 20, 15);
    const auto direct = renderIcon(76, 76, 76);
    int worst = 0;
    for (int y = 0; y < 76; ++y)
        for (int x = 0; x < 76; ++x) {
            const Gdiplus::Color a = pixel(*placed, x + 20, y + 15), b = pixel(*direct, x, y);
            worst = std::max({worst, std::abs(a.GetA() - b.GetA()), std::abs(a.GetR() - b.GetR()),
                              std::abs(a.GetG() - b.GetG()), std::abs(a.GetB() - b.GetB())});
        }
    EXPECT_LE(worst, 1);
    EXPECT_EQ(pixel(*placed, 19, 50).GetA(), 0);
    EXPECT_EQ(pixel(*placed, 97, 50).GetA(), 0);
    EXPECT_EQ(pixel(*placed, 20 + 10, 15 + 20).GetA(), 255) << "the tile, inside the translated square";
}

}  // namespace
