#include "leftovers/screens/RemovedApplicationsModel.h"

#include "platform/ByteCountFormatter.h"
#include "platform/VisibleText.h"
#include "platform/Workspace.h"

namespace zembra {

RemovedApplicationsModel::RemovedApplicationsModel(QObject *parent) : QAbstractTableModel(parent) {}

void RemovedApplicationsModel::appendRows(std::vector<Row> rows) {
    if (rows.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (Row &r : rows)
        m_rows.push_back(std::move(r));
    endInsertRows();
}

std::shared_ptr<const ApplicationItem> RemovedApplicationsModel::itemAt(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[row].item : nullptr;
}

int RemovedApplicationsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RemovedApplicationsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString RemovedApplicationsModel::text(const Row &row, int column) const {
    switch (column) {
    case NameColumn:
        return platform::visiblyEscaped(
            row.item->label().value_or(row.item->bundle_name().value_or(QString())));
    case IdentifierColumn:
        return platform::visiblyEscaped(row.item->bundle().value_or(QString()));
    case LeftoversColumn:
        return platform::formatByteCount(row.weight.bytes);
    default:
        return {};
    }
}

QVariant RemovedApplicationsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text(row, index.column());
    case Qt::ToolTipRole:
        if (index.column() == LeftoversColumn)
            return row.weight.count == 1 ? tr("One item left behind")
                                         : tr("%1 items left behind").arg(row.weight.count);
        return text(row, index.column());
    case Qt::DecorationRole:
        if (index.column() != NameColumn)
            return {};
        if (m_icon.isNull())
            m_icon = platform::Workspace::shared().iconForFileType(QStringLiteral("app"));
        return m_icon;
    case Qt::TextAlignmentRole:
        if (index.column() == LeftoversColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant RemovedApplicationsModel::headerData(int section, Qt::Orientation orientation,
                                              int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Application");
    case IdentifierColumn:
        return tr("Identifier");
    case LeftoversColumn:
        return tr("Leftovers");
    default:
        return {};
    }
}

} // namespace zembra
