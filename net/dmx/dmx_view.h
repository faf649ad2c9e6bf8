#pragma once
// How the DMX network engine reaches the window: plain accessors keyed by control id
// (dmx_control_ids.h). The window fills all five in; tests fill them from a table.
// Every accessor is called on the user-interface thread only.
#include <cstdint>
#include <functional>
#include <string>

// Characters a window field holds; field texts are never longer.
inline constexpr int kFieldTextCapacity = 255;

struct DmxView {
    std::function<std::string(int id)> fieldText;          // control text, at most 255 characters
    std::function<int(int id)> selectorIndex;              // current index of a combo box, -1 when none
    std::function<void(int id, const std::string& text)> setControlText;
    std::function<void(int id, bool enabled)> enableControl;
    std::function<void(int row, int column, const std::string& text)> setCellText; // level table 114
};

// The field's text cut to the 255 characters a window field can hold.
std::string boundedFieldText(const DmxView& view, int id);

// The field's text read like std::stoi (leading blanks, sign, digits, rest ignored);
// fallback when there are no digits or the value does not fit 32 bits. Never fails.
int32_t fieldInteger(const DmxView& view, int id, int32_t fallback);
