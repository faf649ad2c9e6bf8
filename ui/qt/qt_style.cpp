#include "qt_style.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTableView>

#include "../window_style.h"
#include "app_icon_painter.h"
#include "level_cell_delegate.h"

namespace {

QColor colour(uint32_t rgb) { return QColor::fromRgb(rgb); }

QString css(uint32_t rgb) { return colour(rgb).name(); }

}  // namespace

QString uiFontFamily() {
    const QStringList installed = QFontDatabase::families();
    return QString::fromLatin1(
        chooseUiFontFamily([&](const char* family) { return installed.contains(QString::fromLatin1(family)); }));
}

QFont makeUiFont() {
    QFont font(uiFontFamily());
    font.setPixelSize(kUiFontPixelHeight);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QString buttonStyleSheet() {
    return QStringLiteral(
               "QPushButton { background-color: %1; border: 1px solid %2; color: %3; padding: 0px; }"
               "QPushButton:pressed { background-color: %4; }")
        .arg(css(kButtonFaceColour), css(kButtonOutlineColour), css(kButtonTextColour), css(kButtonPressedColour));
}

QString fieldStyleSheet() {
    // Disabled fields keep the light text: they ask for the same colours.
    return QStringLiteral(
               "QLineEdit { background-color: %1; color: %2; border: 1px solid %3; padding: 0px 4px;"
               " selection-background-color: %4; selection-color: %2; }"
               "QLineEdit:disabled { color: %2; }")
        .arg(css(kBackgroundColour), css(kControlTextColour), css(kFieldOutlineColour), css(kSelectionColour));
}

QString selectorStyleSheet() {
    return QStringLiteral(
               "QComboBox { background-color: %1; color: %2; border: 1px solid %3; padding: 0px 6px; }"
               "QComboBox:disabled { color: %2; }"
               "QComboBox QAbstractItemView { background-color: %1; color: %2; border: 1px solid %3;"
               " selection-background-color: %4; selection-color: %2; outline: 0px; }")
        .arg(css(kBackgroundColour), css(kControlTextColour), css(kFieldOutlineColour), css(kSelectionColour)) +
           scrollBarStyleSheet();
}

QString messageListStyleSheet() {
    return QStringLiteral(
               "QListWidget { background-color: %1; color: %2; border: 1px solid %3; outline: 0px; }"
               "QListWidget::item:selected { background-color: %4; color: %2; }")
        .arg(css(kBackgroundColour), css(kControlTextColour), css(kFieldOutlineColour), css(kSelectionColour)) +
           scrollBarStyleSheet();
}

QString scrollBarStyleSheet() {
    return QStringLiteral(
               "QScrollBar:vertical { background: %1; width: 14px; margin: 0px; border: none; }"
               "QScrollBar:horizontal { background: %1; height: 14px; margin: 0px; border: none; }"
               "QScrollBar::handle:vertical { background: %2; min-height: 28px; margin: 2px; border-radius: 4px; }"
               "QScrollBar::handle:horizontal { background: %2; min-width: 28px; margin: 2px; border-radius: 4px; }"
               "QScrollBar::handle:pressed { background: %3; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
        .arg(css(kScrollTrackColour), css(kScrollHandleColour), css(kButtonOutlineColour));
}

QString tableHeaderStyleSheet() {
    // Flat titles on one band: no dividers, sort marks, pressed or hot look.
    return QStringLiteral(
               "QHeaderView { background-color: %1; border: none; }"
               "QHeaderView::section { background-color: %1; color: %2; border: none; padding: 0px 0px 0px %3px; }")
        .arg(css(kTableHeaderBackgroundColour), css(kTableHeaderTextColour))
        .arg(kHeaderTitleIndent);
}

void applyWindowPalette(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, colour(kBackgroundColour));
    palette.setColor(QPalette::WindowText, colour(kControlTextColour));
    palette.setColor(QPalette::Base, colour(kBackgroundColour));
    palette.setColor(QPalette::Text, colour(kControlTextColour));
    palette.setColor(QPalette::Button, colour(kButtonFaceColour));
    palette.setColor(QPalette::ButtonText, colour(kButtonTextColour));
    palette.setColor(QPalette::Highlight, colour(kSelectionColour));
    palette.setColor(QPalette::HighlightedText, colour(kControlTextColour));
    for (QPalette::ColorGroup group : {QPalette::Disabled, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour(kControlTextColour));
        palette.setColor(group, QPalette::Text, colour(kControlTextColour));
    }
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

void styleLevelTable(QTableView& table, int rowHeight) {
    QPalette palette = table.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, colour(kTableBackgroundColour));
        palette.setColor(group, QPalette::Window, colour(kTableBackgroundColour));
        palette.setColor(group, QPalette::Text, colour(kTableTextColour));
        palette.setColor(group, QPalette::Highlight, colour(kSelectionColour));
        palette.setColor(group, QPalette::HighlightedText, colour(kTableTextColour));
    }
    table.setPalette(palette);
    // The cells draw their own grid lines (level_cell_delegate.cpp).
    table.setShowGrid(false);
    table.setItemDelegate(new LevelCellDelegate(colour(kTableTextColour), colour(kTableBackgroundColour), colour(kGridLineColour),
                                                colour(kSelectionColour), rowHeight, &table));
    table.setFrameShape(QFrame::NoFrame);
    table.horizontalHeader()->setStyleSheet(tableHeaderStyleSheet());
    table.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table.horizontalHeader()->setHighlightSections(false);
    table.horizontalHeader()->setSectionsClickable(false);
    table.verticalScrollBar()->setStyleSheet(scrollBarStyleSheet());
    table.horizontalScrollBar()->setStyleSheet(scrollBarStyleSheet());
}

void paintHeaderBand(QPainter& painter, const QFont& font) {
    painter.save();
    painter.translate(kHeaderIconX, kHeaderIconY);
    drawAppIcon(painter, kHeaderIconSize);
    painter.restore();

    painter.save();
    painter.setFont(font);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    painter.setPen(colour(kTitleTextColour));
    painter.drawText(QRect(kTitleX, kTitleY, 0, 0), flags, QString::fromUtf8(kTitleText));
    painter.setPen(colour(kSubtitleTextColour));
    painter.drawText(QRect(kSubtitleX, kSubtitleY, 0, 0), flags, QString::fromUtf8(kSubtitleText));
    painter.restore();
}

QIcon makeWindowIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawAppIcon(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
