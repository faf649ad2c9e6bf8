#include "level_grid_widget.h"

#include <QPaintEvent>
#include <QPainter>

#include "../network_controls.h"
#include "../network_texts.h"
#include "../window_style.h"
#include "qt_style.h"

namespace {

QColor rgb(uint32_t value) { return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

QRect cellArea(int slot) {
    const PixelRect cell = gridCellRect(slot);
    return {cell.x, cell.y, cell.width, cell.height};
}

}  // namespace

LevelGridWidget::LevelGridWidget(QWidget* parent) : QWidget(parent) {
    grid_.winnerColours.fill(kNoSourceColour);
    cellFont_ = makeUiFont();
    cellFont_.setPixelSize(kGridTextPixelHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelGridWidget::setGrid(const NetworkGrid& grid) {
    // A cell's pixels depend on its level and winner only: repaint the changed cells, one
    // span of each grid row, in one update.
    QRegion changed;
    for (int first = 0; first < kDmxSlotCount; first += kGridColumns) {
        int left = -1;
        int right = -1;
        for (int slot = first; slot < first + kGridColumns; ++slot) {
            const auto i = static_cast<std::size_t>(slot);
            if (grid.levels[i] == grid_.levels[i] && grid.winnerColours[i] == grid_.winnerColours[i]) continue;
            if (left < 0) left = slot;
            right = slot;
        }
        if (left >= 0) changed += cellArea(left).united(cellArea(right));
    }
    grid_ = grid;
    if (!changed.isEmpty()) update(changed);
}

void LevelGridWidget::paintEvent(QPaintEvent* event) {
    ++repaints_;
    QPainter painter(this);
    painter.fillRect(rect(), rgb(kTableBackgroundColour));
    painter.setFont(cellFont_);
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const QRect area = cellArea(slot);
        if (!event->region().intersects(area)) continue;
        const int8_t winner = grid_.winnerColours[static_cast<std::size_t>(slot)];
        const uint8_t level = winner == kNoSourceColour ? 0 : grid_.levels[static_cast<std::size_t>(slot)];
        painter.fillRect(area, rgb(gridCellFill(level)));
        painter.setPen(rgb(kGridLineColour));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        if (winner == kNoSourceColour) continue;
        painter.fillRect(QRect(area.x() + 1, area.bottom() + 1 - kGridMarkerHeight, area.width() - 2, kGridMarkerHeight - 1),
                         rgb(sourceColour(winner)));
        painter.setPen(rgb(gridCellTextColour(level)));
        painter.drawText(area.adjusted(0, -1, 0, -1), Qt::AlignCenter, QString::fromStdString(gridCellText(grid_, slot)));
    }
}

void SourceLegendWidget::setEntries(const std::vector<LegendEntry>& entries) {
    if (entries == entries_) return;
    entries_ = entries;
    update();
}

void SourceLegendWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), rgb(kTableBackgroundColour));
    painter.setFont(font());
    int y = 4;
    for (const LegendEntry& entry : entries_) {
        if (y + kLegendRowHeight > height()) break;
        painter.fillRect(QRect(6, y + 4, 12, 12), rgb(entry.rgb));
        painter.setPen(rgb(kTableTextColour));
        painter.drawText(QRect(26, y, width() - 30, kLegendRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(entry.text));
        y += kLegendRowHeight;
    }
}
