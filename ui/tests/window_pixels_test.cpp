// The look on every front end, read back from the painted client area of the real window:
// background, header band with icon and texts, button faces and outline, the level table
// and its header, disabled controls and the page switch, against the places and colours
// of window_expectations.h.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "ui/tests/window_driver.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "ui/window_style.h"

namespace {

std::string hex(uint32_t colour) {
    std::ostringstream text;
    text << "#" << std::hex << std::setw(6) << std::setfill('0') << std::uppercase << colour;
    return text.str();
}

void expectPixel(const WindowPicture& picture, const ExpectedPixel& pixel) {
    const uint32_t got = picture.at(pixel.x, pixel.y);
    if (pixel.same) {
        EXPECT_EQ(hex(got), hex(pixel.colour)) << pixel.what;
    } else {
        EXPECT_NE(hex(got), hex(pixel.colour)) << pixel.what;
    }
}

void expectCount(const WindowPicture& picture, const ExpectedColourCount& area) {
    const int count = countColour(picture, area.x, area.y, area.width, area.height, area.colour, area.tolerance);
    EXPECT_GE(count, area.atLeast) << area.what;
    if (area.atMost >= 0) {
        EXPECT_LE(count, area.atMost) << area.what;
    }
}

class WindowPixels : public ::testing::Test {
protected:
    void SetUp() override {
        start = w->picture();
        ASSERT_GE(start.width, 980);
        ASSERT_GE(start.height, 800);
    }
    std::unique_ptr<WindowDriver> w = openTestWindow();
    WindowPicture start;
};

TEST_F(WindowPixels, BackgroundHeaderButtonsAndTable) {
    for (const ExpectedPixel& pixel : kPixelsAtStart) expectPixel(start, pixel);
    for (const ExpectedColourCount& area : kColourCountsAtStart) expectCount(start, area);
    expectPixel(start, {"background at the bottom", 500, start.height - 5, 0x0A111E, true});
}

TEST_F(WindowPixels, PressedButtonFaceAndBack) {
    w->press(105, true);
    const WindowPicture pressed = w->picture();
    expectPixel(pressed, kPressedStartRxFace);
    expectPixel(pressed, {"outline while pressed", 730, 137, 0x30809A, true});
    w->press(105, false);
    expectPixel(w->picture(), {"face released", 735, 142, 0x182334, true});
}

TEST_F(WindowPixels, DisabledFieldAndButtonKeepTheirColours) {
    w->engines().dmxView.enableControl(103, false);
    w->engines().dmxView.enableControl(101, false);
    w->engines().dmxView.enableControl(105, false);
    const WindowPicture disabled = w->picture();
    expectPixel(disabled, kDisabledLocalIpv4Background);
    expectCount(disabled, kDisabledLocalIpv4Text);
    expectCount(disabled, {"disabled Protocol text", 22, 139, 110, 24, 0xE4EEF9, 24, 5, -1});
    expectPixel(disabled, {"disabled button face", 735, 142, 0x182334, true});
    expectCount(disabled, {"disabled button text", 800, 140, 80, 24, 0xD2F0F9, 24, 10, -1});
}

// A changed level repaints its cell within a tick, and a shorter text leaves nothing of the
// longer one behind.
TEST_F(WindowPixels, ChangedLevelTextsRepaintWhole) {
    const int x = 20 + w->levelColumnWidth(0) + w->levelColumnWidth(1);
    const auto textPixels = [&](const WindowPicture& picture) { return countColour(picture, x, 370, 80, 22, 0xE1EDF9, 24); };
    const int zero = textPixels(start);
    w->engines().dmxView.setCellText(0, 2, "255");
    w->tick();
    EXPECT_GT(textPixels(w->picture()), zero + 10);
    w->engines().dmxView.setCellText(0, 2, "0");
    w->tick();
    EXPECT_EQ(textPixels(w->picture()), zero);
}

TEST_F(WindowPixels, PageSwitchRepaintsTheHeaderBand) {
    w->click(kMidiPageButton);
    const WindowPicture midi = w->picture();
    for (const ExpectedPixel& pixel : kPixelsAtStart) {
        if (pixel.y < kHeaderBandHeight) expectPixel(midi, pixel);
    }
    for (const ExpectedColourCount& area : kColourCountsAtStart) {
        if (area.y + area.height <= kHeaderBandHeight) expectCount(midi, area);
    }
    // The MIDI page's list where the level table was: no table header band any more.
    expectPixel(midi, {"no table header on the MIDI page", 600, 346, 0x172335, false});
    w->click(kDmxPageButton);
    expectPixel(w->picture(), {"table header again", 600, 346, 0x172335, true});
}

}  // namespace
