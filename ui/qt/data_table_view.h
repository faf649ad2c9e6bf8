#pragma once
// The windows' tables. A busy universe repaints a column of visible cells up to 44 times
// a second; the stock table view dresses every cell in a full style option and a style
// primitive first, which costs more than drawing the cell. This view draws the cells the
// update exposed straight through the cell delegate, each once; everything else
// (scrolling, header, selection, keys, accessibility) stays the stock view's. The view
// fills its own background, in the same painter as the cells, so that a repaint begins
// one painter on the window's image rather than two.
#include <QTableView>

class DataTableView : public QTableView {
public:
    explicit DataTableView(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
