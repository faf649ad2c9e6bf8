// The look, read back from a grabbed image of the real window: background, header
// band, button faces and outline, the level table and its header.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <cstdlib>

#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "window_test_support.h"

namespace {

QRgb rgb(uint32_t value) { return qRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

QImage grabWindow(MainWindow& w) { return w.host->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// How many pixels in the rectangle are within `tolerance` of the colour in every
// channel. Text is antialiased, so glyph pixels are counted with some tolerance.
int countColour(const QImage& image, const QRect& area, uint32_t colour, int tolerance = 24) {
    const QRgb want = rgb(colour);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb got = image.pixel(x, y);
            count += std::abs(qRed(got) - qRed(want)) <= tolerance && std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
                     std::abs(qBlue(got) - qBlue(want)) <= tolerance;
        }
    }
    return count;
}

class WindowPixels : public ::testing::Test {
protected:
    void SetUp() override {
        t.window->host->show();
        QTest::qWait(0);
        image = grabWindow(*t.window);
        ASSERT_GE(image.width(), 980);
        ASSERT_GE(image.height(), 830);
    }
    QtWindowDriver t;
    QImage image;
};

// The places and colours both front ends are held to.
TEST_F(WindowPixels, SharedPlacesAndColours) {
    for (const ExpectedPixel& pixel : kPixelsAtStart) {
        if (pixel.same) {
            EXPECT_EQ(at(image, pixel.x, pixel.y), rgb(pixel.colour) & 0xFFFFFF) << pixel.what;
        } else {
            EXPECT_NE(at(image, pixel.x, pixel.y), rgb(pixel.colour) & 0xFFFFFF) << pixel.what;
        }
    }
    for (const ExpectedColourCount& area : kColourCountsAtStart) {
        const int count = countColour(image, QRect(area.x, area.y, area.width, area.height), area.colour, area.tolerance);
        EXPECT_GE(count, area.atLeast) << area.what;
        if (area.atMost >= 0) {
            EXPECT_LE(count, area.atMost) << area.what;
        }
    }
}

TEST_F(WindowPixels, BackgroundAndHeaderBand) {
    EXPECT_EQ(at(image, 500, image.height() - 5), rgb(0x0A111E) & 0xFFFFFF);
}

TEST_F(WindowPixels, FlatButtonsAndPressedFace) {
    auto* button = t.control<QPushButton>(105);
    button->setDown(true);
    const QImage pressed = grabWindow(*t.window);
    EXPECT_EQ(at(pressed, kPressedStartRxFace.x, kPressedStartRxFace.y), rgb(kPressedStartRxFace.colour) & 0xFFFFFF);
    EXPECT_EQ(at(pressed, 730, 137), rgb(0x30809A) & 0xFFFFFF);
    button->setDown(false);
    EXPECT_EQ(at(grabWindow(*t.window), 735, 142), rgb(0x182334) & 0xFFFFFF);
}

TEST_F(WindowPixels, LevelTableAndItsHeader) {
    // Qt's header is 26 pixels high: the band before the first title reaches down to the rows.
    EXPECT_EQ(countColour(image, QRect(20, 344, 8, 26), 0x172335, 0), 8 * 26);
}

TEST_F(WindowPixels, DisabledFieldKeepsItsColours) {
    t.window->engines.dmxView.enableControl(103, false);
    const QImage disabled = grabWindow(*t.window);
    const ExpectedPixel& background = kDisabledLocalIpv4Background;
    EXPECT_EQ(at(disabled, background.x, background.y), rgb(background.colour) & 0xFFFFFF);
    const ExpectedColourCount& text = kDisabledLocalIpv4Text;
    EXPECT_GT(countColour(disabled, QRect(text.x, text.y, text.width, text.height), text.colour, text.tolerance),
              text.atLeast);
}

}  // namespace
