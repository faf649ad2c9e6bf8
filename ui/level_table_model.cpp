#include "level_table_model.h"

#include <QTableView>
#include <algorithm>

#include "window_controls.h"

LevelTableModel::LevelTableModel() : cells_(kLevelRowCount) {
    for (int row = 0; row < kLevelRowCount; ++row) cells_[row][0] = std::to_string(row + 1);
}

int LevelTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kLevelRowCount; }

int LevelTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant LevelTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(cells_[index.row()][index.column()]);
}

QVariant LevelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(levelTableColumns()[section].title);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void LevelTableModel::setCellText(int row, int column, const std::string& text) {
    if (row < 0 || row >= kLevelRowCount || column < 0 || column >= kColumnCount) return;
    std::string& cell = cells_[row][column];
    if (cell == text) return;
    cell = text;
    DirtyRows& rows = dirty_[column];
    rows.first = rows.first < 0 ? row : std::min(rows.first, row);
    rows.last = std::max(rows.last, row);
}

const std::string& LevelTableModel::cellText(int row, int column) const { return cells_.at(row).at(column); }

void LevelTableModel::publishChanges(const QTableView& view) {
    int firstShown = 0;
    int lastShown = kLevelRowCount - 1;
    if (view.isVisible()) {
        firstShown = std::max(view.rowAt(0), 0);
        const int bottom = view.rowAt(view.viewport()->height() - 1);
        lastShown = bottom < 0 ? kLevelRowCount - 1 : bottom;
    }
    for (int column = 0; column < kColumnCount; ++column) {
        DirtyRows& rows = dirty_[column];
        if (rows.first < 0) continue;
        const int first = std::max(rows.first, firstShown);
        const int last = std::min(rows.last, lastShown);
        rows = {};
        if (first > last) continue;
        reportedCells_ += last - first + 1;
        Q_EMIT dataChanged(index(first, column), index(last, column), {Qt::DisplayRole});
    }
}
