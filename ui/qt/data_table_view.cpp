#include "data_table_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QPainter>

#include "level_cell_delegate.h"

namespace {

// The visual sections of header that cross [from, to] in viewport coordinates.
std::pair<int, int> sectionsCrossing(const QHeaderView& header, int from, int to) {
    const int first = header.visualIndexAt(from);
    const int last = header.visualIndexAt(to);
    return {first < 0 ? 0 : first, last < 0 ? header.count() - 1 : last};
}

}  // namespace

DataTableView::DataTableView(QWidget* parent) : QTableView(parent) { viewport()->setAttribute(Qt::WA_OpaquePaintEvent); }

void DataTableView::paintEvent(QPaintEvent* event) {
    const QRegion& region = event->region();
    QPainter painter(viewport());
    const QBrush background = viewport()->palette().brush(viewport()->backgroundRole());
    for (const QRect& rect : region) painter.fillRect(rect, background);
    const auto* cells = dynamic_cast<const LevelCellDelegate*>(itemDelegate());
    if (cells == nullptr || model() == nullptr) {
        painter.end();
        QTableView::paintEvent(event);
        return;
    }
    const QHeaderView& rows = *verticalHeader();
    const QHeaderView& columns = *horizontalHeader();
    const QRect bounds = region.boundingRect();
    const auto [firstRow, lastRow] = sectionsCrossing(rows, bounds.top(), bounds.bottom());
    const auto [firstColumn, lastColumn] = sectionsCrossing(columns, bounds.left(), bounds.right());
    const QItemSelectionModel* selection = selectionModel();
    const QModelIndex root = rootIndex();

    for (int visualRow = firstRow; visualRow <= lastRow; ++visualRow) {
        const int row = rows.logicalIndex(visualRow);
        if (row < 0 || rows.isSectionHidden(row)) continue;
        const int top = rows.sectionViewportPosition(row);
        const int height = rows.sectionSize(row);
        for (int visualColumn = firstColumn; visualColumn <= lastColumn; ++visualColumn) {
            const int column = columns.logicalIndex(visualColumn);
            if (column < 0 || columns.isSectionHidden(column)) continue;
            const QRect cell(columns.sectionViewportPosition(column), top, columns.sectionSize(column), height);
            if (!region.intersects(cell)) continue;
            const QModelIndex index = model()->index(row, column, root);
            cells->paintCell(painter, cell, index.data(Qt::DisplayRole).toString(), font(),
                             selection != nullptr && selection->isSelected(index));
        }
    }
}
