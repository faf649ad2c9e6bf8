#pragma once
// A DmxView backed by plain tables, with the DMX page's texts at window creation.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "net/dmx/dmx_control_ids.h"
#include "net/dmx/dmx_view.h"

struct TableView {
    std::map<int, std::string> texts{
        {kDmxUniverseField, "100"}, {kDmxLocalIpv4Field, "0.0.0.0"}, {kDmxTargetField, "127.0.0.1"},
        {kDmxStartRxButton, "Start RX"}, {kDmxContinuousTxButton, "Continuous TX"},
        {kDmxFromField, "1"}, {kDmxToField, "1"}, {kDmxValueField, "255"}, {kDmxPulseMsField, "200"},
        {kDmxStatusText, "Ready. RX and TX are off."}};
    std::map<int, int> selectors{{kDmxProtocolSelector, 0}};
    std::map<int, bool> enabled;  // controls never touched are absent
    std::vector<std::array<std::string, 3>> cells = std::vector<std::array<std::string, 3>>(512);
    long cellWrites = 0;

    DmxView view() {
        DmxView v;
        v.fieldText = [this](int id) { return texts.count(id) ? texts[id] : std::string(); };
        v.selectorIndex = [this](int id) { return selectors.count(id) ? selectors[id] : -1; };
        v.setControlText = [this](int id, const std::string& text) { texts[id] = text; };
        v.enableControl = [this](int id, bool on) { enabled[id] = on; };
        v.setCellText = [this](int row, int column, const std::string& text) {
            cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
            ++cellWrites;
        };
        return v;
    }

    const std::string& status() { return texts[kDmxStatusText]; }
    const std::string& cell(int slot, int column) { return cells.at(static_cast<std::size_t>(slot - 1))[static_cast<std::size_t>(column)]; }
    // The four network fields are all enabled (true) or all disabled (false); -1 when mixed or untouched.
    int networkFieldsEnabled() {
        int state = -2;
        for (int id : {kDmxProtocolSelector, kDmxUniverseField, kDmxLocalIpv4Field, kDmxTargetField}) {
            if (!enabled.count(id)) return -1;
            const int value = enabled[id] ? 1 : 0;
            if (state != -2 && state != value) return -1;
            state = value;
        }
        return state;
    }
};
