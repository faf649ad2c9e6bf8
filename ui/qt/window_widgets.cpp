#include "window_widgets.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QTableView>
#include <algorithm>

#include "../../net/dmx/dmx_view.h"
#include "../window_layout.h"
#include "command_button.h"
#include "data_table_view.h"
#include "level_table_model.h"
#include "qt_style.h"

namespace {

constexpr int kSelectorHeight = 28;   // closed selector; the table gives the list height
constexpr int kSelectorRowHeight = 20;
constexpr int kLevelRowHeight = 22;
constexpr int kLevelHeaderHeight = 26;

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QWidget* makeLabel(const ControlDefinition& control, QWidget& host) {
    auto* label = new QLabel(QString::fromUtf8(control.text), &host);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    // Colours come from the window palette: no style sheet on the often-rewritten status texts.
    return label;
}

QWidget* makeSelector(const ControlDefinition& control, QWidget& host) {
    auto* selector = new QComboBox(&host);
    selector->setStyleSheet(selectorStyleSheet());
    selector->setMaxVisibleItems(std::max(1, (control.height - kSelectorHeight) / kSelectorRowHeight));
    const auto entries = fixedSelectorEntries(control.id);
    for (int index = 0; index < static_cast<int>(entries.size()); ++index) {
        selector->addItem(QString::fromUtf8(entries[index]), index);
    }
    if (!entries.empty()) selector->setCurrentIndex(0);
    return selector;
}

QWidget* makeField(const ControlDefinition& control, QWidget& host) {
    auto* field = new QLineEdit(QString::fromUtf8(control.text), &host);
    field->setStyleSheet(fieldStyleSheet());
    field->setMaxLength(kFieldTextCapacity);
    if (control.style & kDigitsOnly) {
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    }
    return field;
}

QWidget* makeButton(const ControlDefinition& control, QWidget& host,
                    const std::function<void(int id, int notification)>& onCommand) {
    auto* button = new CommandButton(QString::fromUtf8(control.text), &host);
    button->setStyleSheet(buttonStyleSheet());
    button->setFocusPolicy(Qt::NoFocus);  // no focus rectangle, no keyboard navigation
    const int id = control.id;
    button->onCommand = [onCommand, id](int notification) { onCommand(id, notification); };
    return button;
}

QTableView* makeLevelTable(QWidget& host, LevelTableModel*& model) {
    model = new LevelTableModel();
    QTableView* table = makeDataTable(host, *model);
    table->horizontalHeader()->setStretchLastSection(false);
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    const auto columns = levelTableColumns();
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
        table->setColumnWidth(column, columns[column].initialWidth);
    }
    return table;
}

QListWidget* makeMessageList(QWidget& host) {
    auto* list = new QListWidget(&host);
    list->setStyleSheet(messageListStyleSheet());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

void place(QWidget& widget, const PixelRect& rect) { widget.setGeometry(rect.x, rect.y, std::max(rect.width, 0), std::max(rect.height, 0)); }

}  // namespace

QTableView* makeDataTable(QWidget& host, QAbstractItemModel& model) {
    auto* table = new DataTableView(&host);
    model.setParent(table);
    table->setModel(&model);
    styleLevelTable(*table, kLevelRowHeight);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(kLevelRowHeight);
    table->horizontalHeader()->setFixedHeight(kLevelHeaderHeight);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setCornerButtonEnabled(false);
    return table;
}

QWidget* makeBasicControl(const ControlDefinition& control, QWidget& host,
                          const std::function<void(int id, int notification)>& onCommand) {
    switch (control.kind) {
        case ControlKind::Field: return makeField(control, host);
        case ControlKind::Button: return makeButton(control, host, onCommand);
        default: return makeLabel(control, host);
    }
}

void buildControls(WindowWidgets& widgets, QWidget& host, const std::function<void(int id, int notification)>& onCommand) {
    widgets.host = &host;
    for (const ControlDefinition& control : controlTable()) {
        QWidget* widget = nullptr;
        int height = control.height;
        switch (control.kind) {
            case ControlKind::Label: widget = makeLabel(control, host); break;
            case ControlKind::Selector:
                widget = makeSelector(control, host);
                height = kSelectorHeight;
                break;
            case ControlKind::Field: widget = makeField(control, host); break;
            case ControlKind::Button: widget = makeButton(control, host, onCommand); break;
            case ControlKind::LevelTable:
                widgets.levelTable = makeLevelTable(host, widgets.levelModel);
                widget = widgets.levelTable;
                break;
            case ControlKind::MessageList:
                widgets.messageList = makeMessageList(host);
                widget = widgets.messageList;
                break;
        }
        widget->setFont(widgets.font);
        widget->setGeometry(control.x, control.y, control.width, height);
        if (control.id != 0) {
            widget->setObjectName(QString::fromStdString(controlObjectName(control.id)));
            widgets.byId[control.id] = widget;
        }
        if (control.page == ControlPage::Dmx) widgets.dmxPage.push_back(widget);
        if (control.page == ControlPage::Midi) widgets.midiPage.push_back(widget);
    }
}

void showPage(WindowWidgets& widgets, ControlPage page) {
    const bool dmx = page == ControlPage::Dmx;
    const std::vector<QWidget*>& shown = dmx ? widgets.dmxPage : widgets.midiPage;
    const std::vector<QWidget*>& hidden = dmx ? widgets.midiPage : widgets.dmxPage;
    for (QWidget* widget : hidden) widget->hide();
    for (QWidget* widget : shown) widget->show();
    if (widgets.host) widgets.host->update();
}

void layoutControls(WindowWidgets& widgets, int clientWidth, int clientHeight) {
    if (!widgets.levelTable) return;
    const WindowLayout layout =
        layoutForClientSize(static_cast<uint16_t>(clientWidth), static_cast<uint16_t>(clientHeight));
    place(*widgets.levelTable, layout.levelTable);
    if (QWidget* status = controlById(widgets, kDmxStatusText)) place(*status, layout.dmxStatus);
    widgets.levelTable->setColumnWidth(kDmxChannelColumn, layout.channelColumnWidth);
    widgets.levelTable->setColumnWidth(kDmxReceivedColumn, layout.levelColumnWidth);
    widgets.levelTable->setColumnWidth(kDmxOutputColumn, layout.levelColumnWidth);
    if (!widgets.messageList) return;
    place(*widgets.messageList, layout.midiList);
    if (QWidget* status = controlById(widgets, kMidiStatusText)) place(*status, layout.midiStatus);
}

QWidget* controlById(const WindowWidgets& widgets, int id) {
    const auto found = widgets.byId.find(id);
    return found == widgets.byId.end() ? nullptr : found->second;
}

std::string controlText(const WindowWidgets& widgets, int id) {
    QWidget* widget = controlById(widgets, id);
    QString text;
    if (auto* field = qobject_cast<QLineEdit*>(widget)) text = field->text();
    else if (auto* selector = qobject_cast<QComboBox*>(widget)) text = selector->currentText();
    else if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
    else if (auto* button = qobject_cast<QPushButton*>(widget)) text = button->text();
    if (text.size() > kFieldTextCapacity) text.truncate(kFieldTextCapacity);
    // Never pass on half of a surrogate pair: the cut above, or the field's own length
    // limit (it counts UTF-16 units), may split the last character.
    if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
    return text.toStdString();
}

void setControlText(WindowWidgets& widgets, int id, const std::string& text) {
    QWidget* widget = controlById(widgets, id);
    QString qtext = fromUtf8(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        qtext.remove(QLatin1Char('\r'));  // "\r\n" ends a line in the status texts
        if (label->text() != qtext) label->setText(qtext);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(qtext);
    } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        field->setText(qtext);
    }
}
