#pragma once
// Paints the cells of the level table: flat text, its grid lines and the selected row.
// The table repaints its visible changed cells up to 44 times a second; the texts are
// few ("0" to "512"), so each is laid out once and then only drawn.
#include <QColor>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class LevelCellDelegate : public QStyledItemDelegate {
public:
    LevelCellDelegate(QColor text, QColor grid, QColor selection, int rowHeight, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // From a cell's left edge, the width within which a text of up to `characters`
    // characters in font is drawn.
    static int textExtent(const QFont& font, int characters);

private:
    const QStaticText& laidOut(const QString& text) const;

    QColor text_;
    QColor grid_;
    QColor selection_;
    int rowHeight_;
    mutable QHash<QString, QStaticText> texts_;
};
