#pragma once
// The top-level widget. Qt delivers size, close and paint as virtual event handlers;
// this adapter only forwards them to the window's free functions.
#include <QWidget>
#include <functional>

class QPainter;
class QRegion;

class WindowHost : public QWidget {
public:
    std::function<void(int width, int height)> onResize;  // client size
    std::function<void()> onClose;                        // before the window goes
    std::function<void(QPainter&, const QRegion&)> onPaint;  // over the background fill
    std::function<void()> onFrameKnown;                   // frame margins reported once

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    bool frameReported_ = false;
};
