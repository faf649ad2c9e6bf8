#pragma once
// The level table's data: 512 rows of "Channel", "Received (RX)" and "Output (TX)".
// The engines rewrite a whole column per packet; the model keeps each cell's text,
// ignores writes that change nothing and tells the view once per tick about the block of
// changed cells in the rows it shows, so a busy universe costs one repaint of the
// visible texts at most per tick.
#include <QAbstractTableModel>
#include <array>
#include <string>

#include "../level_cells.h"

class QTableView;

class LevelTableModel : public QAbstractTableModel {
public:
    static constexpr int kColumnCount = kLevelColumnCount;


    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The engines' set-cell-text; out-of-range cells are ignored.
    void setCellText(int row, int column, const std::string& text);

    // Repaints the texts of the cells changed since the last call, limited to the rows `view`
    // shows, in one update.
    // Rows outside are read fresh when they scroll into view.
    void publishChanges(const QTableView& view);

    // Cells reported to views so far (for the benchmark and tests).
    long long reportedCellCount() const { return reportedCells_; }
    long long reportedUpdateCount() const { return reportedUpdates_; }

private:
    struct DirtyRows {
        int first = -1;
        int last = -1;
        int longestText = 0;  // bytes, of the old and the new texts
    };
    LevelCells cells_;
    std::array<DirtyRows, kColumnCount> dirty_{};
    long long reportedCells_ = 0;
    long long reportedUpdates_ = 0;
};
