// The look, read back from a grabbed image of the real window: background, header
// band, button faces and outline, the level table and its header.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <cstdlib>

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
    TestWindow t;
    QImage image;
};

TEST_F(WindowPixels, BackgroundAndHeaderBand) {
    EXPECT_EQ(at(image, 5, 5), rgb(0x0A111E) & 0xFFFFFF);
    EXPECT_EQ(at(image, 600, 20), rgb(0x0A111E) & 0xFFFFFF);
    EXPECT_EQ(at(image, 500, image.height() - 5), rgb(0x0A111E) & 0xFFFFFF);
    // The icon fills 76 x 76 from (20, 15): drawn inside, background just outside.
    EXPECT_NE(at(image, 58, 53), rgb(0x0A111E) & 0xFFFFFF);
    EXPECT_EQ(at(image, 18, 53), rgb(0x0A111E) & 0xFFFFFF);
    EXPECT_EQ(at(image, 100, 53), rgb(0x0A111E) & 0xFFFFFF);
    // Title from (116, 27), subtitle from (116, 54), each in its colour and nowhere else.
    EXPECT_GT(countColour(image, QRect(116, 27, 200, 22), 0x46E7F5), 20);
    EXPECT_GT(countColour(image, QRect(116, 54, 300, 22), 0xB797E8), 20);
    EXPECT_EQ(countColour(image, QRect(100, 0, 16, 100), 0x46E7F5), 0);
    EXPECT_EQ(countColour(image, QRect(116, 54, 300, 22), 0x46E7F5), 0);
}

TEST_F(WindowPixels, FlatButtonsAndPressedFace) {
    // Start RX at (730, 137) 220 x 30: outline on its edge, face inside, text centred.
    EXPECT_EQ(at(image, 730, 137), rgb(0x30809A) & 0xFFFFFF);
    EXPECT_EQ(at(image, 949, 166), rgb(0x30809A) & 0xFFFFFF);
    EXPECT_EQ(at(image, 735, 142), rgb(0x182334) & 0xFFFFFF);
    EXPECT_GT(countColour(image, QRect(800, 140, 80, 24), 0xD2F0F9), 10);
    // The page buttons look the same.
    EXPECT_EQ(at(image, 730, 44), rgb(0x30809A) & 0xFFFFFF);
    EXPECT_EQ(at(image, 733, 47), rgb(0x182334) & 0xFFFFFF);

    auto* button = control<QPushButton>(*t.window, 105);
    button->setDown(true);
    const QImage pressed = grabWindow(*t.window);
    EXPECT_EQ(at(pressed, 735, 142), rgb(0x1B4150) & 0xFFFFFF);
    EXPECT_EQ(at(pressed, 730, 137), rgb(0x30809A) & 0xFFFFFF);
    button->setDown(false);
    EXPECT_EQ(at(grabWindow(*t.window), 735, 142), rgb(0x182334) & 0xFFFFFF);
}

TEST_F(WindowPixels, LevelTableAndItsHeader) {
    // The table starts at (20, 344); its flat header band first, then the rows.
    EXPECT_EQ(at(image, 22, 346), rgb(0x172335) & 0xFFFFFF);
    EXPECT_EQ(at(image, 600, 346), rgb(0x172335) & 0xFFFFFF);
    // Titles start 8 pixels in: nothing drawn before, header text after.
    EXPECT_EQ(countColour(image, QRect(20, 344, 8, 26), 0x172335, 0), 8 * 26);
    EXPECT_GT(countColour(image, QRect(28, 344, 80, 26), 0x59DDEA), 10);
    EXPECT_GT(countColour(image, QRect(138, 344, 120, 26), 0x59DDEA), 10);
    // Cells: dark background with light text.
    EXPECT_EQ(at(image, 100, 380), rgb(0x0E1928) & 0xFFFFFF);
    EXPECT_GT(countColour(image, QRect(20, 370, 100, 22), 0xE1EDF9), 5);
}

TEST_F(WindowPixels, DisabledFieldKeepsItsColours) {
    t.window->engines.dmxView.enableControl(103, false);
    const QImage disabled = grabWindow(*t.window);
    // Local IPv4 at (290, 137) 180 x 28: background and text as when enabled.
    EXPECT_EQ(at(disabled, 300, 140), rgb(0x0A111E) & 0xFFFFFF);
    EXPECT_GT(countColour(disabled, QRect(290, 137, 180, 28), 0xE4EEF9), 5);
}

}  // namespace
