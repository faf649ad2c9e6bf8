#pragma once
// A flat button that reports its command like a window-system button does: the
// notification code 0 for a click and 5 for the second click of a double click.
// The routing decides which commands act on which code.
#include <QPushButton>
#include <functional>

#include "../window_procedure.h"

class CommandButton : public QPushButton {
public:
    CommandButton(const QString& text, QWidget* parent);
    std::function<void(int notification)> onCommand;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool doubleClick_ = false;
};
