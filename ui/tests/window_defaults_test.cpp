// The window as it opens, on every front end: title, icon and sizes, every control where
// the table puts it, the defaults of both pages, the page switch and the digits-only
// fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>

#include "ui/tests/window_driver.h"
#include "ui/tests/window_expectations.h"
#include "ui/window_controls.h"

namespace {

const ControlDefinition* definitionOf(int id) {
    for (const ControlDefinition& control : controlTable()) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

TEST(WindowDefaults, TitleIconAndSizes) {
    auto w = openTestWindow();
    EXPECT_EQ(w->title(), "Velmora Lumibox 0.2.1");
    EXPECT_TRUE(w->hasIcon());
    EXPECT_EQ(w->outerSize(), (WindowRect{0, 0, 1000, 870}));
    // The minimum outer size holds against a smaller request.
    w->resizeOuter(600, 400);
    EXPECT_EQ(w->outerSize(), (WindowRect{0, 0, 1000, 800}));
}

TEST(WindowDefaults, EveryIdFindsOneControlAtItsPlace) {
    auto w = openTestWindow();
    // The ids of the window, independent of the table in the code.
    std::vector<int> ids(std::begin(kDmxPageIds), std::end(kDmxPageIds));
    ids.insert(ids.end(), {kDmxPageButton, kMidiPageButton});
    ids.insert(ids.end(), std::begin(kMidiPageIds), std::end(kMidiPageIds));
    for (const ControlDefinition& control : controlTable()) {
        if (control.id != 0) {
            EXPECT_NE(std::ranges::find(ids, control.id), ids.end()) << control.id;
        }
    }
    for (int id : ids) {
        ASSERT_EQ(w->controlsWithId(id), 1) << id;
        const ControlDefinition* control = definitionOf(id);
        ASSERT_NE(control, nullptr) << id;
        // The lists and status texts follow the client size; a selector's height is its
        // toolkit's.
        if (id == kDmxLevelTable || id == kDmxStatusText || id == kMidiMessageList || id == kMidiStatusText) continue;
        const WindowRect place = w->place(id);
        EXPECT_EQ(place.x, control->x) << id;
        EXPECT_EQ(place.y, control->y) << id;
        EXPECT_EQ(place.width, control->width) << id;
        if (control->kind != ControlKind::Selector) {
            EXPECT_EQ(place.height, control->height) << id;
        }
    }
    // A few places checked against the numbers themselves.
    for (const ExpectedPlace& place : kPlacesAtStart) {
        EXPECT_EQ(w->place(place.id), (WindowRect{place.x, place.y, place.width, place.height})) << place.id;
    }
}

TEST(WindowDefaults, FieldsSelectorsAndTexts) {
    auto w = openTestWindow();
    for (const ExpectedText& expected : kTextsAtStart) EXPECT_EQ(w->text(expected.id), expected.text) << expected.id;
    const std::vector<std::string> labels = w->labelsWithoutId();
    EXPECT_EQ(labels.size(), 21u);
    EXPECT_NE(std::ranges::find(labels, std::string(kMidiPortsHint)), labels.end());

    struct Selector {
        int id;
        std::span<const char* const> entries;
    };
    for (const Selector& selector : {Selector{101, kProtocolEntries}, Selector{206, kMidiTypeEntries}}) {
        const std::vector<std::string> entries = w->entries(selector.id);
        EXPECT_EQ(entries, std::vector<std::string>(selector.entries.begin(), selector.entries.end())) << selector.id;
        EXPECT_EQ(w->selectedIndex(selector.id), 0) << selector.id;
    }
    // The type selector's entries carry their index, as the MIDI engine reads it.
    EXPECT_EQ(w->engines().midi.view.selectedItemValue(206), 0);
    w->select(206, 2);
    EXPECT_EQ(w->engines().midi.view.selectedItemValue(206), 2);

    // The port selectors were filled at creation: the placeholder first, selected, then
    // one entry per port the engine listed.
    const MidiEngine& midi = w->engines().midi;
    for (const auto& [id, listed] : {std::pair{203, &midi.listedInputs}, std::pair{204, &midi.listedOutputs}}) {
        const std::vector<std::string> entries = w->entries(id);
        ASSERT_EQ(entries.size(), listed->size() + 1) << id;
        EXPECT_EQ(entries[0], kMidiPortPlaceholder);
        EXPECT_EQ(w->selectedIndex(id), 0);
        EXPECT_EQ(midi.view.selectedItemValue(id), -1);
    }
}

TEST(WindowDefaults, LevelTableHas512NumberedRowsOfZeros) {
    auto w = openTestWindow();
    ASSERT_EQ(w->levelRowCount(), 512);
    EXPECT_EQ(w->levelColumnTitles(), std::vector<std::string>(std::begin(kLevelColumnTitles), std::end(kLevelColumnTitles)));
    for (int row : {0, 1, 255, 511}) {
        EXPECT_EQ(w->cell(row, 0), std::to_string(row + 1));
        EXPECT_EQ(w->cell(row, 1), "0");
        EXPECT_EQ(w->cell(row, 2), "0");
    }
}

TEST(WindowDefaults, FirstTickReplacesBothInitialStatusTexts) {
    auto w = openTestWindow();
    w->tick();
    EXPECT_EQ(w->text(kDmxStatusText), kDmxStatusAfterFirstTick);
    EXPECT_EQ(w->text(kMidiStatusText), kMidiStatusAfterFirstTick);
}

TEST(WindowDefaults, DigitFieldsTakeOnlyDigitsOtherFieldsTakeAnyText) {
    auto w = openTestWindow();
    for (int id : kDigitOnlyFieldIds) {
        w->setText(id, "");
        w->typeKeys(id, "-5a 7.");
        EXPECT_EQ(w->text(id), "57") << id;
    }
    for (int id : kFreeTextFieldIds) {
        w->setText(id, "");
        w->typeKeys(id, "multicast -1");
        EXPECT_EQ(w->text(id), "multicast -1") << id;
    }
}

TEST(WindowDefaults, FieldTextIsCutTo255Characters) {
    auto w = openTestWindow();
    w->setText(104, std::string(300, 'x'));
    EXPECT_EQ(w->engines().dmxView.fieldText(104).size(), 255u);
    // Never half of a surrogate pair: 254 letters and one character outside the BMP.
    w->setText(104, std::string(254, 'x') + "\xF0\x9F\x8E\xB9" + "yy");
    EXPECT_EQ(w->engines().dmxView.fieldText(104), std::string(254, 'x'));
}

TEST(WindowPages, ButtonsSwitchPagesAndKeepEveryFieldsState) {
    auto w = openTestWindow();
    for (int id : kDmxPageIds) EXPECT_TRUE(w->shown(id)) << id;
    for (int id : kMidiPageIds) EXPECT_FALSE(w->shown(id)) << id;

    w->setText(102, "7");
    w->select(101, 1);
    w->setText(208, "61");
    w->select(206, 1);

    w->click(kMidiPageButton);
    for (int id : kDmxPageIds) EXPECT_FALSE(w->shown(id)) << id;
    for (int id : kMidiPageIds) EXPECT_TRUE(w->shown(id)) << id;
    EXPECT_TRUE(w->shown(kDmxPageButton));
    EXPECT_TRUE(w->shown(kMidiPageButton));

    w->click(kDmxPageButton);
    for (int id : kDmxPageIds) EXPECT_TRUE(w->shown(id)) << id;
    for (int id : kMidiPageIds) EXPECT_FALSE(w->shown(id)) << id;
    EXPECT_EQ(w->text(102), "7");
    EXPECT_EQ(w->text(101), "Art-Net");
    EXPECT_EQ(w->text(208), "61");
    EXPECT_EQ(w->text(206), "Control Change");
}

TEST(WindowPages, HiddenPageStatusKeepsBeingRefreshed) {
    auto w = openTestWindow();
    w->click(kMidiPageButton);
    w->setText(110, "");  // Value empty: the range message
    w->sendCommand(107, kClickNotification);
    w->tick();
    EXPECT_EQ(w->messageLine(kDmxStatusText), kRangeMessage);
}

}  // namespace
