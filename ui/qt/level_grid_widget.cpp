#include "level_grid_widget.h"

#include <QPainter>

#include "../network_controls.h"
#include "../network_texts.h"
#include "../window_style.h"
#include "qt_style.h"

namespace {

QColor rgb(uint32_t value) { return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

}  // namespace

LevelGridWidget::LevelGridWidget(QWidget* parent) : QWidget(parent) {
    grid_.winnerColours.fill(kNoSourceColour);
    cellFont_ = makeUiFont();
    cellFont_.setPixelSize(kGridTextPixelHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelGridWidget::setGrid(const NetworkGrid& grid) {
    if (grid == grid_) return;
    grid_ = grid;
    update();
}

void LevelGridWidget::paintEvent(QPaintEvent*) {
    ++repaints_;
    QPainter painter(this);
    painter.fillRect(rect(), rgb(kTableBackgroundColour));
    painter.setFont(cellFont_);
    for (int slot = 0; slot < kDmxSlotCount; ++slot) {
        const PixelRect cell = gridCellRect(slot);
        const QRect area(cell.x, cell.y, cell.width, cell.height);
        const int8_t winner = grid_.winnerColours[static_cast<std::size_t>(slot)];
        const uint8_t level = winner == kNoSourceColour ? 0 : grid_.levels[static_cast<std::size_t>(slot)];
        painter.fillRect(area, rgb(gridCellFill(level)));
        painter.setPen(rgb(kGridLineColour));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        if (winner == kNoSourceColour) continue;
        painter.fillRect(QRect(cell.x + 1, cell.y + cell.height - kGridMarkerHeight, cell.width - 2, kGridMarkerHeight - 1),
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
