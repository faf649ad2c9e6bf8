#include "level_cells.h"

LevelCells::LevelCells() : rows(kLevelRowCount) {
    for (int row = 0; row < kLevelRowCount; ++row) rows[static_cast<std::size_t>(row)][0] = levelRowTitle(row);
}

std::string levelRowTitle(int row) { return std::to_string(row + 1); }

bool setLevelCell(LevelCells& cells, int row, int column, const std::string& text) {
    if (row < 0 || row >= kLevelRowCount || column < 0 || column >= kLevelColumnCount) return false;
    std::string& cell = cells.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (cell == text) return false;
    cell = text;
    return true;
}
