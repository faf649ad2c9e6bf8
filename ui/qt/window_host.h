#pragma once
// The top-level widget. Qt delivers size, close and paint as virtual event handlers;
// this adapter only forwards them to the window's free functions.
#include <QWidget>
#include <functional>

class QFont;
class QTimer;
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

// A top-level window in the dark look: title, icon, palette, font (the application's too:
// style sheets resolve theirs from it) and the header band painted above the controls.
WindowHost* makeWindowHost(const QString& title, const QFont& font);

// The window's precise tick timer, owned by host; started at once when start is set.
QTimer* makeTickTimer(WindowHost& host, int periodMs, bool start, const std::function<void()>& onTick);
