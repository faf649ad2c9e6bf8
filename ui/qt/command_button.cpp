#include "command_button.h"

#include <QMouseEvent>

CommandButton::CommandButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    connect(this, &QAbstractButton::clicked, this, [this] {
        const int notification = doubleClick_ ? kDoubleClickNotification : kClickNotification;
        doubleClick_ = false;
        if (onCommand) onCommand(notification);
    });
}

void CommandButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click; its release emits clicked().
    doubleClick_ = true;
    QPushButton::mouseDoubleClickEvent(event);
}
