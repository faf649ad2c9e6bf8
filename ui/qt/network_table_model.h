#pragma once
// One of the Network window's tables: rows of texts handed over whole by the engine at
// most four times a second. The model tells the view only about the rows that changed,
// in one signal, and about rows added or removed at the end.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "../network_view.h"

class NetworkTableModel : public QAbstractTableModel {
public:
    explicit NetworkTableModel(int tableId) : tableId_(tableId) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setRows(const NetworkTableRows& rows);
    std::string cellText(int row, int column) const;

private:
    int tableId_;
    std::vector<std::vector<std::string>> rows_;
};
