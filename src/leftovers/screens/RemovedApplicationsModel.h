#pragma once
// The rows of the removed-applications list: one application each, with its label, its
// identifier and what its leftovers weigh. Rows are appended as the searches find them
// and never change afterwards. GUI thread only.

#include "catalogue/ItemRecord.h"
#include "leftovers/LeftoverWeight.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <memory>
#include <vector>

namespace zembra {

class RemovedApplicationsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, IdentifierColumn, LeftoversColumn, ColumnCount };

    struct Row {
        std::shared_ptr<const ApplicationItem> item;
        leftovers::LeftoverWeight weight;
    };

    explicit RemovedApplicationsModel(QObject *parent = nullptr);

    void appendRows(std::vector<Row> rows);
    // The record of `row`; null outside the list.
    std::shared_ptr<const ApplicationItem> itemAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString text(const Row &row, int column) const;

    std::vector<Row> m_rows;
    mutable QIcon m_icon; // the application type's icon: the bundles themselves are gone
};

} // namespace zembra
