#pragma once
// The Qt controls of the main window, made from the control table: found by id,
// grouped into the two page lists, moved by the resize rule.
#include <QFont>
#include <functional>
#include <unordered_map>
#include <vector>

#include "../window_controls.h"

class LevelTableModel;
class QAbstractItemModel;
class QLabel;
class QListWidget;
class QTableView;
class QWidget;

struct WindowWidgets {
    QWidget* host = nullptr;
    QFont font;
    std::unordered_map<int, QWidget*> byId;
    std::vector<QWidget*> dmxPage;
    std::vector<QWidget*> midiPage;
    QTableView* levelTable = nullptr;
    LevelTableModel* levelModel = nullptr;  // owned by the table
    QListWidget* messageList = nullptr;
};

// Makes every control of the table as a child of host, in table order. Button
// commands go to onCommand(id, notification).
void buildControls(WindowWidgets& widgets, QWidget& host, const std::function<void(int id, int notification)>& onCommand);

// A label, field or button as the table describes it, for a window made from another table.
QWidget* makeBasicControl(const ControlDefinition& control, QWidget& host,
                          const std::function<void(int id, int notification)>& onCommand);

// A table in the windows' look (palette, cells, row and header height, one row selected at
// a time, nothing editable) showing model, which it takes over.
QTableView* makeDataTable(QWidget& host, QAbstractItemModel& model);

// Shows one page list, hides the other, repaints the header band.
void showPage(WindowWidgets& widgets, ControlPage page);

// The resize rule for a new client size.
void layoutControls(WindowWidgets& widgets, int clientWidth, int clientHeight);

// nullptr when no control has the id.
QWidget* controlById(const WindowWidgets& widgets, int id);

// The text of a field, selector, label or button, cut to the 255 characters a
// window field holds.
std::string controlText(const WindowWidgets& widgets, int id);
void setControlText(WindowWidgets& widgets, int id, const std::string& text);
