#include "window_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>

#include "../window_style.h"
#include "qt_style.h"

void WindowHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize(event->size().width(), event->size().height());
    if (!frameReported_ && frameGeometry().size() != size()) {
        frameReported_ = true;
        if (onFrameKnown) onFrameKnown();
    }
}

void WindowHost::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window manager reports its frame only after the window is mapped.
    if (!frameReported_ && frameGeometry().size() != size()) {
        frameReported_ = true;
        if (onFrameKnown) onFrameKnown();
    }
}

void WindowHost::closeEvent(QCloseEvent* event) {
    if (onClose) onClose();
    event->accept();
}

void WindowHost::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (onPaint) onPaint(painter, event->region());
}

WindowHost* makeWindowHost(const QString& title, const QFont& font) {
    auto* host = new WindowHost();
    host->setWindowTitle(title);
    host->setWindowIcon(makeWindowIcon());
    applyWindowPalette(*host);
    QApplication::setFont(font);
    host->setFont(font);
    host->onPaint = [host, font](QPainter& painter, const QRegion& region) {
        // Controls that repaint often (the level tables, the status texts) lie below the
        // band; drawing the icon for them would be clipped away entirely.
        if (region.intersects(QRect(0, 0, host->width(), kHeaderBandHeight))) paintHeaderBand(painter, font);
    };
    return host;
}

QTimer* makeTickTimer(WindowHost& host, int periodMs, bool start, const std::function<void()>& onTick) {
    auto* timer = new QTimer(&host);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(periodMs);
    QObject::connect(timer, &QTimer::timeout, &host, onTick);
    if (start) timer->start();
    return timer;
}
