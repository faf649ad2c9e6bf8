#include "window_host.h"

#include <QCloseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

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
