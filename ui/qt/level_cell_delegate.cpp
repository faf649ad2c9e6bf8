#include "level_cell_delegate.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kTextIndent = 6;
constexpr qsizetype kMaxLaidOutTexts = 4096;  // far more than the table ever shows
}  // namespace

LevelCellDelegate::LevelCellDelegate(QColor text, QColor grid, QColor selection, int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), text_(text), grid_(grid), selection_(selection), rowHeight_(rowHeight) {}

const QStaticText& LevelCellDelegate::laidOut(const QString& text) const {
    auto found = texts_.find(text);
    if (found != texts_.end()) return *found;
    if (texts_.size() >= kMaxLaidOutTexts) texts_.clear();
    QStaticText prepared(text);
    prepared.setTextFormat(Qt::PlainText);
    prepared.setPerformanceHint(QStaticText::AggressiveCaching);
    return *texts_.insert(text, prepared);
}

void LevelCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QRect cell = option.rect;
    if (option.state & QStyle::State_Selected) painter->fillRect(cell, selection_);

    const QStaticText& text = laidOut(index.data(Qt::DisplayRole).toString());
    const QSizeF size = text.size();
    const bool fits = size.width() <= cell.width() - kTextIndent;
    if (!fits) {
        painter->save();
        painter->setClipRect(cell);
    }
    painter->setFont(option.font);
    painter->setPen(text_);
    painter->drawStaticText(QPointF(cell.left() + kTextIndent, cell.top() + (cell.height() - size.height()) / 2), text);
    if (!fits) painter->restore();

    // Grid: each cell draws its right and bottom edge, as one-pixel fills (the same pixels
    // as lines, drawn for less).
    painter->fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), grid_);
    painter->fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), grid_);
}

int LevelCellDelegate::textExtent(const QFont& font, int characters) {
    return kTextIndent + characters * QFontMetrics(font).maxWidth() + 1;
}

QSize LevelCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {60, rowHeight_}; }
