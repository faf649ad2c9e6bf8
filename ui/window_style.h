#pragma once
// The dark look: the shared font, the style sheets of the control kinds, the level
// table's colours and the header band.
#include <QFont>
#include <QIcon>
#include <QString>

class QPainter;
class QTableView;
class QWidget;

// "Segoe UI" where it is installed, otherwise "DejaVu Sans Condensed", else "DejaVu Sans".
QString uiFontFamily();
QFont makeUiFont();  // 16-pixel character height, normal weight

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
