#include "level_table_model.h"

#include <QAccessible>
#include <QTableView>
#include <algorithm>

#include "../window_controls.h"
#include "level_cell_delegate.h"

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
    const std::size_t before = row >= 0 && row < kLevelRowCount && column >= 0 && column < kColumnCount
                                   ? cells_.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].size()
                                   : 0;
    if (!setLevelCell(cells_, row, column, text)) return;
    DirtyRows& rows = dirty_[column];
    rows.first = rows.first < 0 ? row : std::min(rows.first, row);
    rows.last = std::max(rows.last, row);
    rows.longestText = std::max({rows.longestText, static_cast<int>(before), static_cast<int>(text.size())});
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
    // One update for everything a tick changed in view, and of each changed cell only the
    // part its old and new texts cover: the rest of a cell is background and grid line,
    // the same before and after.
    QRegion changed;
    for (int column = 0; column < kColumnCount; ++column) {
        DirtyRows& rows = dirty_[column];
        if (rows.first < 0) continue;
        const int first = std::max(rows.first, firstShown);
        const int last = std::min(rows.last, lastShown);
        const int longestText = rows.longestText;
        rows = {};
        if (first > last) continue;
        const QRect block = view.visualRect(index(first, column)).united(view.visualRect(index(last, column)));
        changed += block.adjusted(0, 0, std::min(LevelCellDelegate::textExtent(view.font(), longestText) - block.width(), 0), 0);
        reportedCells_ += last - first + 1;
    }
    if (changed.isEmpty()) return;
    ++reportedUpdates_;
    view.viewport()->update(changed);
    // The view reads cells as it paints; only an accessibility client needs the signal.
    if (QAccessible::isActive()) {
        const QRect bounds = changed.boundingRect();
        Q_EMIT dataChanged(view.indexAt(bounds.topLeft()), view.indexAt(bounds.bottomRight()), {Qt::DisplayRole});
    }
}
