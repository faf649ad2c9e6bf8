// The window's description without any toolkit: which command each control's
// notification runs, the resize rule, the level table's texts and the font rule. Both
// front ends read these.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/level_cells.h"
#include "ui/window_layout.h"
#include "ui/window_procedure.h"
#include "ui/window_style.h"

namespace {

constexpr int kFieldChanged = 0x300;  // what an edit field reports when its text changes

TEST(WindowRouting, CommandForEachIdAndNotification) {
    using C = WindowCommand;
    struct Case {
        int id;
        C onClick;
        C onOther;
    };
    const Case cases[] = {
        {201, C::ShowDmxPage, C::ShowDmxPage},   {202, C::ShowMidiPage, C::ShowMidiPage},
        {116, C::ResetNetwork, C::ResetNetwork}, {105, C::ToggleReceive, C::Nothing},
        {106, C::ContinuousTx, C::Nothing},      {107, C::SendValue, C::Nothing},
        {108, C::PulseToZero, C::Nothing},       {111, C::AllToZero, C::Nothing},
        {101, C::Nothing, C::Nothing},           {102, C::Nothing, C::Nothing},
        {109, C::Nothing, C::Nothing},           {114, C::Nothing, C::Nothing},
        {115, C::Nothing, C::Nothing},           {0, C::Nothing, C::Nothing},
        {200, C::Nothing, C::Nothing},           {218, C::Nothing, C::Nothing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandFor(c.id, kClickNotification), c.onClick) << c.id;
        EXPECT_EQ(commandFor(c.id, kDoubleClickNotification), c.onOther) << c.id;
        EXPECT_EQ(commandFor(c.id, kFieldChanged), c.onOther) << c.id;
    }
    for (int id = 203; id <= 217; ++id) {
        EXPECT_EQ(commandFor(id, kClickNotification), C::MidiCommand) << id;
        EXPECT_EQ(commandFor(id, kDoubleClickNotification), C::Nothing) << id;
    }
}

TEST(WindowResize, RuleForClientSizes) {
    struct Case {
        int width, height;
        int tableHeight, listHeight, statusY, levelColumn;
    };
    const Case cases[] = {
        {1000, 870, 440, 294, 798, 415},  // the first client size here
        {984, 831, 401, 255, 759, 407},   // a 1000 x 870 window with a typical frame
        {1000, 800, 370, 224, 728, 415},  // the minimum without frame
        {1000, 676, 246, 100, 604, 415},  // the MIDI list reaches its floor
        {1000, 675, 245, 100, 603, 415},
        {1000, 531, 101, 100, 459, 415},
        {1000, 530, 100, 100, 458, 415},  // the level table reaches its floor
        {1000, 200, 100, 100, 128, 415},
        {1001, 0, 100, 100, -72, 415},  // a minimised window reports height 0
        {1920, 1080, 650, 504, 1008, 875},
    };
    for (const Case& c : cases) {
        const WindowLayout layout = layoutForClientSize(c.width, c.height);
        EXPECT_EQ(layout.levelTable, (PixelRect{20, 344, c.width - 40, c.tableHeight})) << c.width << "x" << c.height;
        EXPECT_EQ(layout.midiList, (PixelRect{20, 490, c.width - 40, c.listHeight})) << c.height;
        EXPECT_EQ(layout.dmxStatus, (PixelRect{20, c.statusY, c.width - 40, 60})) << c.height;
        EXPECT_EQ(layout.midiStatus, layout.dmxStatus);
        EXPECT_EQ(layout.channelColumnWidth, 110);
        EXPECT_EQ(layout.levelColumnWidth, c.levelColumn) << c.width;
    }
    EXPECT_EQ(layoutForClientSize(100, 800).levelColumnWidth, 0);  // never negative
}

}  // namespace

namespace {

TEST(LevelCells, NumberedRowsAndOnlyRealChangesReported) {
    LevelCells cells;
    ASSERT_EQ(cells.rows.size(), 512u);
    EXPECT_EQ(cells.rows[0][0], "1");
    EXPECT_EQ(cells.rows[511][0], "512");
    EXPECT_EQ(cells.rows[0][1], "");
    struct Case {
        int row, column;
        const char* text;
        bool changed;
    };
    const Case cases[] = {
        {0, 1, "0", true},    {0, 1, "0", false},   {0, 1, "255", true}, {511, 2, "7", true},
        {0, 0, "1", false},   {-1, 1, "0", false},  {512, 1, "0", false}, {0, 3, "0", false},
        {0, -1, "0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setLevelCell(cells, c.row, c.column, c.text), c.changed) << c.row << "," << c.column << " " << c.text;
    }
    EXPECT_EQ(cells.rows[0][1], "255");
    EXPECT_EQ(cells.rows[511][2], "7");
}

TEST(FontRule, FirstInstalledFamilyWins) {
    struct Case {
        std::vector<std::string> installed;
        std::string chosen;
    };
    const Case cases[] = {
        {{"Segoe UI", "DejaVu Sans Condensed"}, "Segoe UI"},
        {{"DejaVu Sans Condensed", "Segoe UI"}, "Segoe UI"},
        {{"DejaVu Sans Condensed", "DejaVu Sans"}, "DejaVu Sans Condensed"},
        {{"DejaVu Sans"}, "DejaVu Sans"},
        {{}, "DejaVu Sans"},
    };
    for (const Case& c : cases) {
        const char* chosen = chooseUiFontFamily([&](const char* family) {
            return std::find(c.installed.begin(), c.installed.end(), family) != c.installed.end();
        });
        EXPECT_EQ(chosen, c.chosen);
    }
}

}  // namespace
