#include "level_table_model.h"

#include <QAccessible>
#include <QTableView>
#include <algorithm>

#include "../window_controls.h"

int LevelTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kLevelRowCount; }

int LevelTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant LevelTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(cells_.rows[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())]);
}

QVariant LevelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(levelTableColumns()[section].title);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void LevelTableModel::setCellText(int row, int column, const std::string& text) {
    if (!setLevelCell(cells_, row, column, text)) return;
    DirtyRows& rows = dirty_[column];
    rows.first = rows.first < 0 ? row : std::min(rows.first, row);
    rows.last = std::max(rows.last, row);
}

void LevelTableModel::publishChanges(const QTableView& view) {
    const bool anyChange = std::any_of(dirty_.begin(), dirty_.end(), [](const DirtyRows& rows) { return rows.first >= 0; });
    if (!anyChange) return;
    if (!view.isVisible()) {
        // A hidden view reads every cell afresh when it is shown again.
        dirty_ = {};
        return;
    }
    const int firstShown = std::max(view.rowAt(0), 0);
    const int bottom = view.rowAt(view.viewport()->height() - 1);
    const int lastShown = bottom < 0 ? kLevelRowCount - 1 : bottom;
    // One update for everything a tick changed in view: the view repaints that block once
    // instead of once per cell.
    int firstRow = kLevelRowCount;
    int lastRow = -1;
    int firstColumn = kColumnCount;
    int lastColumn = -1;
    for (int column = 0; column < kColumnCount; ++column) {
        DirtyRows& rows = dirty_[column];
        if (rows.first < 0) continue;
        const int first = std::max(rows.first, firstShown);
        const int last = std::min(rows.last, lastShown);
        rows = {};
        if (first > last) continue;
        firstRow = std::min(firstRow, first);
        lastRow = std::max(lastRow, last);
        firstColumn = std::min(firstColumn, column);
        lastColumn = std::max(lastColumn, column);
    }
    if (lastRow < 0) return;
    reportedCells_ += static_cast<long long>(lastRow - firstRow + 1) * (lastColumn - firstColumn + 1);
    ++reportedUpdates_;
    // The view reads cells as it paints: repaint exactly the block. A block signal would
    // repaint the neighbouring column as well; only an accessibility client needs it.
    const QModelIndex topLeft = index(firstRow, firstColumn);
    const QModelIndex bottomRight = index(lastRow, lastColumn);
    view.viewport()->update(view.visualRect(topLeft).united(view.visualRect(bottomRight)));
    if (QAccessible::isActive()) Q_EMIT dataChanged(topLeft, bottomRight, {Qt::DisplayRole});
}
