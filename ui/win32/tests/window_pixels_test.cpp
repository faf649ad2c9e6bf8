// The look, read back from the painted client area of the real window under wine:
// background, header band with icon and texts, button faces and outline, the level
// table and its header, disabled fields. The places and colours are those the Qt
// window is held to (ui/tests/window_expectations.h); wine's GDI+ draws the icon
// without anti-aliasing and its text is anti-aliased, so text is counted with tolerance.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"
#include "ui/window_style.h"
#include "window_test_support.h"

namespace {

std::string hex(uint32_t colour) {
    std::ostringstream text;
    text << "#" << std::hex << std::setw(6) << std::setfill('0') << std::uppercase << colour;
    return text.str();
}

int channel(uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

bool within(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(channel(a, shift) - channel(b, shift)) > tolerance) return false;
    }
    return true;
}

int countColour(const ClientPicture& picture, const ExpectedColourCount& area) {
    int count = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) count += within(picture.at(x, y), area.colour, area.tolerance);
    }
    return count;
}

void expectPixel(const ClientPicture& picture, const ExpectedPixel& pixel) {
    const uint32_t got = picture.at(pixel.x, pixel.y);
    if (pixel.same) {
        EXPECT_EQ(hex(got), hex(pixel.colour)) << pixel.what;
    } else {
        EXPECT_NE(hex(got), hex(pixel.colour)) << pixel.what;
    }
}

void expectCount(const ClientPicture& picture, const ExpectedColourCount& area) {
    const int count = countColour(picture, area);
    EXPECT_GE(count, area.atLeast) << area.what;
    if (area.atMost >= 0) {
        EXPECT_LE(count, area.atMost) << area.what;
    }
}

// One shown window for all cases (showing one takes wine a while); each case leaves it
// as it found it.
class WindowPixels : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = new TestWindow;
        shared->show();
    }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        picture = grabClient(t);
        ASSERT_GE(picture.width, 980);
        ASSERT_GE(picture.height, 800);
    }
    static TestWindow* shared;
    TestWindow& t = *shared;
    ClientPicture picture;
};

TestWindow* WindowPixels::shared = nullptr;

TEST_F(WindowPixels, BackgroundHeaderButtonsAndTable) {
    for (const ExpectedPixel& pixel : kPixelsAtStart) expectPixel(picture, pixel);
    for (const ExpectedColourCount& area : kColourCountsAtStart) expectCount(picture, area);
    expectPixel(picture, {"background at the bottom", 500, picture.height - 5, 0x0A111E, true});
}

TEST_F(WindowPixels, PressedButtonFaceAndBack) {
    SendMessageW(control(t, 105), BM_SETSTATE, TRUE, 0);
    const ClientPicture pressed = grabClient(t);
    expectPixel(pressed, kPressedStartRxFace);
    expectPixel(pressed, {"outline while pressed", 730, 137, 0x30809A, true});
    SendMessageW(control(t, 105), BM_SETSTATE, FALSE, 0);
    expectPixel(grabClient(t), {"face released", 735, 142, 0x182334, true});
}

TEST_F(WindowPixels, DisabledFieldAndButtonKeepTheirColours) {
    t.window->engines.dmxView.enableControl(103, false);
    t.window->engines.dmxView.enableControl(101, false);
    EnableWindow(control(t, 105), FALSE);
    const ClientPicture disabled = grabClient(t);
    expectPixel(disabled, kDisabledLocalIpv4Background);
    expectCount(disabled, kDisabledLocalIpv4Text);
    expectCount(disabled, {"disabled Protocol text", 22, 139, 110, 24, 0xE4EEF9, 24, 5, -1});
    expectPixel(disabled, {"disabled Protocol face", 120, 150, 0x0A111E, true});
    expectPixel(disabled, {"disabled button face", 735, 142, 0x182334, true});
    expectCount(disabled, {"disabled button text", 800, 140, 80, 24, 0xD2F0F9, 24, 10, -1});
    t.window->engines.dmxView.enableControl(103, true);
    t.window->engines.dmxView.enableControl(101, true);
    EnableWindow(control(t, 105), TRUE);
}

TEST_F(WindowPixels, PageSwitchRepaintsTheHeaderBand) {
    click(t, kMidiPageButton);
    const ClientPicture midi = grabClient(t);
    for (const ExpectedPixel& pixel : kPixelsAtStart) {
        if (pixel.y < kHeaderBandHeight) expectPixel(midi, pixel);
    }
    for (const ExpectedColourCount& area : kColourCountsAtStart) {
        if (area.y + area.height <= kHeaderBandHeight) expectCount(midi, area);
    }
    // The MIDI page's list where the level table was: no table header band any more.
    expectPixel(midi, {"no table header on the MIDI page", 600, 346, 0x172335, false});
    click(t, kDmxPageButton);
    expectPixel(grabClient(t), {"table header again", 600, 346, 0x172335, true});
}

// The table holds its drawing while the engines rewrite cells and draws once afterwards;
// on the hidden page it must stay hidden.
TEST_F(WindowPixels, LevelChangesRedrawTheShownTableAndLeaveAHiddenOneHidden) {
    const ExpectedColourCount firstOutputCell{"first output cell", 548, 370, 60, 18, 0xE1EDF9, 24, 0, -1};
    const int zeroPixels = countColour(picture, firstOutputCell);
    t.window->engines.dmxView.setCellText(0, 2, "255");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_TRUE(IsWindowVisible(control(t, kDmxLevelTable)));
    EXPECT_GT(countColour(grabClient(t), firstOutputCell), zeroPixels + 10);

    click(t, kMidiPageButton);
    t.window->engines.dmxView.setCellText(0, 2, "7");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_FALSE(IsWindowVisible(control(t, kDmxLevelTable)));
    EXPECT_TRUE(IsWindowVisible(control(t, kMidiMessageList)));
    click(t, kDmxPageButton);
    EXPECT_EQ(levelCell(t, 0, 2), "7");
    t.window->engines.dmxView.setCellText(0, 2, "0");
    SendMessageW(t.handle, WM_TIMER, kTickTimerId, 0);
    EXPECT_EQ(countColour(grabClient(t), firstOutputCell), zeroPixels);
}

}  // namespace
