#pragma once
// The dark look of ui/window_style.h in Qt: the font, the style sheets of the control
// kinds, the level table's colours, the header band and the window icon.
#include <QFont>
#include <QIcon>
#include <QString>

class QPainter;
class QTableView;
class QWidget;

// The first installed family of the font rule.
QString uiFontFamily();
QFont makeUiFont();

QString buttonStyleSheet();
QString fieldStyleSheet();
QString selectorStyleSheet();
QString messageListStyleSheet();
QString scrollBarStyleSheet();
QString tableHeaderStyleSheet();

// Background colours of the window and of its plain controls.
void applyWindowPalette(QWidget& window);
// Colours, grid and header of the level table.
void styleLevelTable(QTableView& table, int rowHeight);

// The header band: icon at (20, 15) in 76 px, the title and the subtitle.
void paintHeaderBand(QPainter& painter, const QFont& font);

// The window icon, from the same renderer.
QIcon makeWindowIcon();
