#pragma once
// The Network window's merged-level grid and its legend, painted from the engine's grid
// record. A new grid repaints the cells it changed, in one update.
#include <QFont>
#include <QWidget>

#include "../network_view.h"

class LevelGridWidget : public QWidget {
public:
    explicit LevelGridWidget(QWidget* parent);
    void setGrid(const NetworkGrid& grid);
    const NetworkGrid& grid() const { return grid_; }
    long long repaintCount() const { return repaints_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NetworkGrid grid_;
    QFont cellFont_;
    long long repaints_ = 0;
};

class SourceLegendWidget : public QWidget {
public:
    explicit SourceLegendWidget(QWidget* parent) : QWidget(parent) {}
    void setEntries(const std::vector<LegendEntry>& entries);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<LegendEntry> entries_;
};
