#pragma once
// How the Network window's engine reaches the window: plain accessors keyed by control id
// (network_controls.h), filled in by the front end, called on the user-interface thread.
// Tables and the grid arrive whole, at most four times a second; the front end redraws
// what changed in one update.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../core/dmx_universe_state.h"

struct NetworkTableRows {
    std::vector<std::vector<std::string>> rows;  // one text per column
    int selectedRow = -1;                        // the row to show selected, -1 none
    friend bool operator==(const NetworkTableRows&, const NetworkTableRows&) = default;
};

inline constexpr int8_t kNoSourceColour = -1;

struct LegendEntry {
    uint32_t rgb = 0;
    std::string text;  // "name · priority"
    friend bool operator==(const LegendEntry&, const LegendEntry&) = default;
};

// The selected universe's merged levels: per slot the level and the colour index of the
// source that wins it (kNoSourceColour where none drives it).
struct NetworkGrid {
    uint16_t universe = 0;  // 0: nothing selected, the grid is empty
    int32_t slotCount = 0;
    std::array<uint8_t, kDmxSlotCount> levels{};
    std::array<int8_t, kDmxSlotCount> winnerColours{};
    std::vector<LegendEntry> legend;
    friend bool operator==(const NetworkGrid&, const NetworkGrid&) = default;
};

struct NetworkView {
    std::function<std::string(int id)> fieldText;
    std::function<void(int id, const std::string& text)> setControlText;
    std::function<void(int id, bool enabled)> enableControl;
    std::function<void(int id, const NetworkTableRows& rows)> setTableRows;
    std::function<void(const NetworkGrid& grid)> showLevelGrid;
};
