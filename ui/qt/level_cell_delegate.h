#pragma once
// Paints the cells of the level table: flat text, its grid lines and the selected row.
// The table repaints its visible changed cells up to 44 times a second; the texts are
// few ("0" to "512"), so each is laid out once, drawn once on each background into a
// small image, and from then on only copied.
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStaticText>
#include <QStyledItemDelegate>

class LevelCellDelegate : public QStyledItemDelegate {
public:
    LevelCellDelegate(QColor text, QColor background, QColor grid, QColor selection, int rowHeight, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // One cell at rect: the selection colour when selected, the text, the right and bottom
    // grid lines. What paint() draws, for a view that paints its cells itself.
    void paintCell(QPainter& painter, const QRect& rect, const QString& text, const QFont& font, bool selected) const;

    // From a cell's left edge, the width within which a text of up to `characters`
    // characters in font is drawn.
    static int textExtent(const QFont& font, int characters);

private:
    struct TextImageKey {
        QString text;
        int height;
        qreal pixelRatio;
        bool selected;
        bool operator==(const TextImageKey&) const = default;
        friend size_t qHash(const TextImageKey& key, size_t seed) {
            return qHashMulti(seed, key.text, key.height, key.pixelRatio, key.selected);
        }
    };

    const QStaticText& laidOut(const QString& text) const;
    // The text as it is drawn in a cell of `height` on its background, `width` wide from the
    // cell's left edge.
    const QPixmap& textImage(const TextImageKey& key, const QStaticText& text, int width) const;

    QColor text_;
    QColor background_;
    QColor grid_;
    QColor selection_;
    int rowHeight_;
    mutable QHash<QString, QStaticText> texts_;
    mutable QHash<TextImageKey, QPixmap> images_;
    mutable QFont imageFont_;  // the font the images were drawn in
};
