#pragma once
// The texts of the level table (114) as the window shows them, kept by the front end
// beside its table control: 512 rows of slot number, received and output level. The
// engines rewrite a whole column per packet; a front end redraws only the cells whose
// text really changed.
#include <array>
#include <string>
#include <vector>

#include "window_controls.h"

inline constexpr int kLevelColumnCount = 3;

struct LevelCells {
    LevelCells();
    std::vector<std::array<std::string, kLevelColumnCount>> rows;  // column 0 holds the slot numbers
};

// "1" for row 0 up to "512" for row 511.
std::string levelRowTitle(int row);

// Stores the text of one cell. False when the cell lies outside the table or already
// held that text: nothing to redraw.
bool setLevelCell(LevelCells& cells, int row, int column, const std::string& text);
