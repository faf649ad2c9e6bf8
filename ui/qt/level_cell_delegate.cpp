#include "level_cell_delegate.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kTextIndent = 6;
constexpr qsizetype kMaxLaidOutTexts = 4096;  // far more than the table ever shows
}  // namespace

LevelCellDelegate::LevelCellDelegate(QColor text, QColor background, QColor grid, QColor selection, int rowHeight,
                                     QObject* parent)
    : QStyledItemDelegate(parent),
      text_(text),
      background_(background),
      grid_(grid),
      selection_(selection),
      rowHeight_(rowHeight) {}

const QStaticText& LevelCellDelegate::laidOut(const QString& text) const {
    auto found = texts_.find(text);
    if (found != texts_.end()) return *found;
    if (texts_.size() >= kMaxLaidOutTexts) texts_.clear();
    QStaticText prepared(text);
    prepared.setTextFormat(Qt::PlainText);
    prepared.setPerformanceHint(QStaticText::AggressiveCaching);
    return *texts_.insert(text, prepared);
}

const QPixmap& LevelCellDelegate::textImage(const TextImageKey& key, const QStaticText& text, int width) const {
    auto found = images_.find(key);
    if (found != images_.end()) return *found;
    if (images_.size() >= kMaxLaidOutTexts) images_.clear();
    QPixmap image(QSize(width, key.height) * key.pixelRatio);
    image.setDevicePixelRatio(key.pixelRatio);
    image.fill(key.selected ? selection_ : background_);
    QPainter painter(&image);
    painter.setFont(imageFont_);
    painter.setPen(text_);
    painter.drawStaticText(QPointF(kTextIndent, (key.height - text.size().height()) / 2), text);
    painter.end();
    return *images_.insert(key, image);
}

void LevelCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    paintCell(*painter, option.rect, index.data(Qt::DisplayRole).toString(), option.font,
              (option.state & QStyle::State_Selected) != 0);
}

void LevelCellDelegate::paintCell(QPainter& painter, const QRect& cell, const QString& text, const QFont& font,
                                  bool selected) const {
    if (selected) painter.fillRect(cell, selection_);
    const QStaticText& laidOutText = laidOut(text);
    const QSizeF size = laidOutText.size();
    if (size.width() <= cell.width() - kTextIndent) {
        // The image holds the cell's background as far as the text reaches, a little more
        // for the last glyph's edge, within the cell.
        if (font != imageFont_) {
            images_.clear();
            imageFont_ = font;
        }
        const int width = std::min(kTextIndent + static_cast<int>(std::ceil(size.width())) + 2, cell.width());
        const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
        painter.drawPixmap(cell.topLeft(), textImage({text, cell.height(), ratio, selected}, laidOutText, width));
    } else {
        painter.save();
        painter.setClipRect(cell, Qt::IntersectClip);
        painter.setFont(font);
        painter.setPen(text_);
        painter.drawStaticText(QPointF(cell.left() + kTextIndent, cell.top() + (cell.height() - size.height()) / 2),
                               laidOutText);
        painter.restore();
    }

    // Grid: each cell draws its right and bottom edge, as one-pixel fills (the same pixels
    // as lines, drawn for less).
    painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), grid_);
    painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), grid_);
}

int LevelCellDelegate::textExtent(const QFont& font, int characters) {
    return kTextIndent + characters * QFontMetrics(font).maxWidth() + 1;
}

QSize LevelCellDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {60, rowHeight_}; }
