#pragma once
// How the MIDI engine reaches the window: plain accessors keyed by control id
// (midi_control_ids.h). The window fills them in; tests fill them with fakes.
// Every accessor is called on the user-interface thread only.
#include <functional>
#include <string>

struct MidiView {
    // Selectors (203, 204, 206). Each entry carries an integer value besides its text.
    std::function<void(int id)> clearSelector;
    std::function<void(int id, const std::string& text, int value)> addSelectorItem;
    std::function<void(int id, int index)> selectSelectorIndex;
    // Value of the selected entry; -1 when no entry is selected. The Type selector (206)
    // must carry its entry index as value (0 "Note On", 1 "Control Change", 2 "Program Change").
    std::function<int(int id)> selectedItemValue;

    // Edit fields (207..210): the text (at most 255 characters) read as a base-10
    // integer like the standard conversion, fallback when it is not a number.
    std::function<int(int id, int fallback)> fieldInteger;

    // Button caption (205) or static text (217).
    std::function<void(int id, const std::string& text)> setControlText;

    // The message list (216).
    std::function<void(int id, const std::string& row)> appendListRow;
    std::function<void(int id)> deleteFirstListRow;
    std::function<int(int id)> listRowCount;
    std::function<void(int id)> scrollListToEnd;
};
