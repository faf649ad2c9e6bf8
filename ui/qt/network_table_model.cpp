#include "network_table_model.h"

#include <algorithm>

#include "../network_controls.h"

int NetworkTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int NetworkTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(networkTableColumns(tableId_).size());
}

QVariant NetworkTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return QString::fromStdString(cellText(index.row(), index.column()));
}

QVariant NetworkTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const auto columns = networkTableColumns(tableId_);
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns.size())) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(columns[static_cast<std::size_t>(section)].title);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

std::string NetworkTableModel::cellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    return column >= 0 && column < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(column)] : std::string();
}

void NetworkTableModel::setRows(const NetworkTableRows& rows) {
    const int before = static_cast<int>(rows_.size());
    const int after = static_cast<int>(rows.rows.size());
    const int common = std::min(before, after);
    int firstChanged = -1;
    int lastChanged = -1;
    for (int row = 0; row < common; ++row) {
        if (rows_[static_cast<std::size_t>(row)] == rows.rows[static_cast<std::size_t>(row)]) continue;
        if (firstChanged < 0) firstChanged = row;
        lastChanged = row;
    }
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        rows_.resize(static_cast<std::size_t>(after));
        endRemoveRows();
    }
    std::copy(rows.rows.begin(), rows.rows.begin() + common, rows_.begin());
    if (after > before) {
        beginInsertRows({}, before, after - 1);
        rows_.insert(rows_.end(), rows.rows.begin() + before, rows.rows.end());
        endInsertRows();
    }
    if (firstChanged >= 0) Q_EMIT dataChanged(index(firstChanged, 0), index(lastChanged, columnCount() - 1), {Qt::DisplayRole});
}
