// Renders the icon straight into a QImage and checks pixels at points the design fixes.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "ui/qt/app_icon_painter.h"
#include "ui/tests/icon_design_pixels.h"

namespace {

QImage renderIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawAppIcon(painter, size);
    return image;
}

TEST(AppIconRender, PixelsAtDesignPoints) {
    const QImage image = renderIcon(256);
    for (const ExpectedIconPixel& e : kIconDesignPixels) {
        SCOPED_TRACE(e.what);
        const QColor c = image.pixelColor(e.x, e.y);
        EXPECT_EQ(c.alpha(), 255);
        EXPECT_NEAR(c.red(), e.r, 2);
        EXPECT_NEAR(c.green(), e.g, 2);
        EXPECT_NEAR(c.blue(), e.b, 2);
    }
}

TEST(AppIconRender, OutsideTheFrameStaysTransparent) {
    const QImage image = renderIcon(256);
    for (const auto& p : kIconTransparentPixels) EXPECT_EQ(image.pixelColor(p[0], p[1]).alpha(), 0) << p[0] << "," << p[1];
    EXPECT_EQ(image.pixelColor(2, 128).alpha(), 255);
    EXPECT_EQ(image.pixelColor(253, 128).alpha(), 255);
}

TEST(AppIconRender, RoundedCornersAreAntialiased) {
    const QImage image = renderIcon(256);
    const int corners[][2] = {{0, 0}, {232, 0}, {0, 232}, {232, 232}};
    for (const auto& corner : corners) {
        int partial = 0;
        for (int y = corner[1]; y < corner[1] + 24; ++y)
            for (int x = corner[0]; x < corner[0] + 24; ++x) {
                const int alpha = image.pixelColor(x, y).alpha();
                if (alpha > 0 && alpha < 255) ++partial;
            }
        EXPECT_GE(partial, 15) << "corner at " << corner[0] << "," << corner[1];
    }
}

TEST(AppIconRender, KeepsFrameAndStrokesAt76Pixels) {
    const QImage image = renderIcon(76);
    int opaque = 0;
    for (int y = 0; y < 76; ++y)
        for (int x = 0; x < 76; ++x)
            if (image.pixelColor(x, y).alpha() == 255) ++opaque;
    EXPECT_GT(opaque, 70 * 70);

    // The frame is 0.6 px wide here: it survives as partly covered edge pixels, cyan at
    // the left and top, magenta at the right and bottom.
    const QColor left = image.pixelColor(0, 38), top = image.pixelColor(38, 0);
    const QColor right = image.pixelColor(75, 38), bottom = image.pixelColor(38, 75);
    for (const QColor& c : {left, top}) {
        EXPECT_GT(c.alpha(), 60);
        EXPECT_LT(c.alpha(), 255);
        EXPECT_GT(c.green(), 120);
        EXPECT_GT(c.green(), c.red());
    }
    for (const QColor& c : {right, bottom}) {
        EXPECT_GT(c.alpha(), 60);
        EXPECT_LT(c.alpha(), 255);
        EXPECT_GT(c.red(), 120);
        EXPECT_GT(c.red(), c.green());
    }

    // The 0.9 px trace core at y = 140 * 76 / 256 = 41.6 still shows as a bright row.
    EXPECT_GT(image.pixelColor(8, 41).green(), 180);
}

TEST(AppIconRender, DrawsFromThePaintersCurrentOrigin) {
    // The window header translates to (20, 15) and draws at 76 px.
    QImage placed(120, 110, QImage::Format_ARGB32);
    placed.fill(Qt::transparent);
    {
        QPainter painter(&placed);
        painter.translate(20, 15);
        drawAppIcon(painter, 76);
    }
    const QImage direct = renderIcon(76);
    int worst = 0;
    for (int y = 0; y < 76; ++y)
        for (int x = 0; x < 76; ++x) {
            const QRgb a = placed.pixel(x + 20, y + 15), b = direct.pixel(x, y);
            worst = std::max({worst, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                              std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 1);
    EXPECT_EQ(placed.pixelColor(19, 50).alpha(), 0);
    EXPECT_EQ(placed.pixelColor(97, 50).alpha(), 0);
}

}  // namespace
