#pragma once
// A window stand-in for engine tests: selectors, fields, texts and the message list as
// plain containers behind the MidiView accessors.
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/decimal_text.h"
#include "midi/midi_control_ids.h"
#include "midi/midi_engine.h"
#include "midi/midi_view.h"

struct FakeSelector {
    std::vector<std::pair<std::string, int>> items;
    int selected = -1;
};

struct FakeMidiWindow {
    std::map<int, FakeSelector> selectors;
    std::map<int, std::string> fields;
    std::map<int, std::string> texts;
    std::deque<std::string> list;
    int scrolls = 0;
};

inline MidiView makeFakeMidiView(FakeMidiWindow& w) {
    MidiView view;
    view.clearSelector = [&w](int id) { w.selectors[id] = FakeSelector{}; };
    view.addSelectorItem = [&w](int id, const std::string& text, int value) {
        w.selectors[id].items.emplace_back(text, value);
    };
    view.selectSelectorIndex = [&w](int id, int index) { w.selectors[id].selected = index; };
    view.selectedItemValue = [&w](int id) {
        const FakeSelector& s = w.selectors[id];
        if (s.selected < 0 || s.selected >= static_cast<int>(s.items.size())) return -1;
        return s.items[static_cast<size_t>(s.selected)].second;
    };
    view.fieldInteger = [&w](int id, int fallback) { return decimalToInt32(w.fields[id]).value_or(fallback); };
    view.setControlText = [&w](int id, const std::string& text) { w.texts[id] = text; };
    view.appendListRow = [&w](int, const std::string& row) { w.list.push_back(row); };
    view.deleteFirstListRow = [&w](int) {
        if (!w.list.empty()) w.list.pop_front();
    };
    view.listRowCount = [&w](int) { return static_cast<int>(w.list.size()); };
    view.scrollListToEnd = [&w](int) { ++w.scrolls; };
    return view;
}

// The send fields and the Type selector (0 Note On, 1 Control Change, 2 Program Change).
inline void setMidiFields(FakeMidiWindow& w, const char* channel, const char* number, const char* value,
                          const char* pulse, int type) {
    w.fields[kMidiChannelField] = channel;
    w.fields[kMidiNumberField] = number;
    w.fields[kMidiValueField] = value;
    w.fields[kMidiPulseField] = pulse;
    w.selectors[kMidiTypeSelector].selected = type;
}

// The window's initial MIDI page: Type selector with its three entries, the four fields.
inline void fillInitialMidiPage(FakeMidiWindow& w) {
    w.selectors[kMidiTypeSelector] = FakeSelector{{{"Note On", 0}, {"Control Change", 1}, {"Program Change", 2}}, 0};
    w.fields[kMidiChannelField] = "1";
    w.fields[kMidiNumberField] = "60";
    w.fields[kMidiValueField] = "127";
    w.fields[kMidiPulseField] = "200";
}

// A clock that stands still at t.
inline MidiClock clockAt(uint64_t t) {
    return [t] { return t; };
}
