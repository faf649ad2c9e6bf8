#include "window_views.h"

#include <QComboBox>
#include <QListWidget>

#include "../../core/decimal_text.h"
#include "level_table_model.h"
#include "window_widgets.h"

namespace {

QComboBox* selector(const WindowWidgets& widgets, int id) { return qobject_cast<QComboBox*>(controlById(widgets, id)); }

QListWidget* list(const WindowWidgets& widgets, int id) { return qobject_cast<QListWidget*>(controlById(widgets, id)); }

}  // namespace

DmxView makeDmxView(WindowWidgets& widgets) {
    WindowWidgets* w = &widgets;
    DmxView view;
    view.fieldText = [w](int id) { return controlText(*w, id); };
    view.selectorIndex = [w](int id) {
        QComboBox* box = selector(*w, id);
        return box ? box->currentIndex() : -1;
    };
    view.setControlText = [w](int id, const std::string& text) { setControlText(*w, id, text); };
    view.enableControl = [w](int id, bool enabled) {
        if (QWidget* control = controlById(*w, id)) control->setEnabled(enabled);
    };
    view.setCellText = [w](int row, int column, const std::string& text) {
        w->levelModel->setCellText(row, column, text);
    };
    return view;
}

MidiView makeMidiView(WindowWidgets& widgets) {
    WindowWidgets* w = &widgets;
    MidiView view;
    view.clearSelector = [w](int id) {
        if (QComboBox* box = selector(*w, id)) box->clear();
    };
    view.addSelectorItem = [w](int id, const std::string& text, int value) {
        if (QComboBox* box = selector(*w, id)) box->addItem(QString::fromStdString(text), value);
    };
    view.selectSelectorIndex = [w](int id, int index) {
        if (QComboBox* box = selector(*w, id)) box->setCurrentIndex(index);
    };
    view.selectedItemValue = [w](int id) {
        QComboBox* box = selector(*w, id);
        if (!box || box->currentIndex() < 0) return -1;
        bool ok = false;
        const int value = box->currentData().toInt(&ok);
        return ok ? value : -1;
    };
    view.fieldInteger = [w](int id, int fallback) { return decimalToInt32(controlText(*w, id)).value_or(fallback); };
    view.setControlText = [w](int id, const std::string& text) { setControlText(*w, id, text); };
    view.appendListRow = [w](int id, const std::string& row) {
        if (QListWidget* rows = list(*w, id)) rows->addItem(QString::fromStdString(row));
    };
    view.deleteFirstListRow = [w](int id) {
        if (QListWidget* rows = list(*w, id)) delete rows->takeItem(0);
    };
    view.listRowCount = [w](int id) {
        QListWidget* rows = list(*w, id);
        return rows ? rows->count() : 0;
    };
    view.scrollListToEnd = [w](int id) {
        if (QListWidget* rows = list(*w, id)) rows->scrollToBottom();
    };
    return view;
}
