#include "extensions/screens/RemovalListModel.h"

#include "platform/VisibleText.h"

#include "leftovers/LeftoverKeys.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"

#include <QFont>

#include <set>

namespace zembra {

RemovalListModel::RemovalListModel(
    const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
    const std::filesystem::path &itself,
    const std::function<bool(const std::filesystem::path &)> &startsTicked, QObject *parent)
    : QAbstractTableModel(parent) {
    const auto self = itself.lexically_normal();
    for (size_t i = 0; i < files.size(); ++i) {
        Row row{files[i], i < sizes.size() ? sizes[i].byteCount() : 0, true, false};
        if (files[i].isFileURL()) {
            row.fixed = !self.empty() && files[i].path().lexically_normal() == self;
            row.ticked = row.fixed || !startsTicked || startsTicked(files[i].path());
        }
        m_rows.push_back(std::move(row));
    }
    // An entry that starts unticked keeps the folders that hold it.
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].entry.isFileURL() && !m_rows[i].ticked)
            setTicked(i, false);
}

bool RemovalListModel::isGroupRow(int row) const {
    return row >= 0 && row < int(m_rows.size()) && !m_rows[size_t(row)].entry.isFileURL();
}

int RemovalListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RemovalListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant RemovalListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Entry") : tr("Size");
}

std::uint64_t RemovalListModel::groupBytes(size_t groupRow) const {
    std::uint64_t sum = 0;
    std::set<std::filesystem::path> seen;
    for (size_t i = groupRow + 1; i < m_rows.size() && m_rows[i].entry.isFileURL(); ++i)
        if (m_rows[i].ticked && seen.insert(m_rows[i].entry.path()).second)
            sum += m_rows[i].bytes;
    return sum;
}

QVariant RemovalListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const size_t r = size_t(index.row());
    const Row &row = m_rows[r];
    if (!row.entry.isFileURL()) {
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? leftovers::groupTitle(row.entry.absoluteString())
                                       : platform::formatByteCount(groupBytes(r));
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    if (role == Qt::ToolTipRole && index.column() == 0 && row.fixed)
        return tr("%1\nThe item itself: Cancel keeps it.")
            .arg(platform::visiblyEscaped(platform::displayPath(row.entry.path())));
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return index.column() == 0
                   ? platform::visiblyEscaped(platform::displayPath(row.entry.path()))
                   : platform::formatByteCount(row.bytes);
    if (role == Qt::CheckStateRole && index.column() == 0)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole && index.column() == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags RemovalListModel::flags(const QModelIndex &index) const {
    if (!index.isValid() || isGroupRow(index.row()))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0 && !m_rows[size_t(index.row())].fixed)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool RemovalListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 ||
        !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    setTicked(size_t(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, 1));
    emit tickedChanged();
    return true;
}

void RemovalListModel::setTicked(size_t row, bool ticked) {
    const std::filesystem::path path = m_rows[row].entry.path().lexically_normal();
    for (Row &other : m_rows) {
        if (!other.entry.isFileURL() || other.fixed)
            continue;
        const std::filesystem::path p = other.entry.path().lexically_normal();
        // Keeping holds the folders above; removing takes what lies inside.
        if (ticked ? platform::isWithin(p, path, true) : platform::isWithin(path, p, true))
            other.ticked = ticked;
    }
}

std::vector<FileEntry> RemovalListModel::tickedFiles() const {
    std::vector<FileEntry> out;
    std::set<std::filesystem::path> seen;
    for (const Row &row : m_rows) {
        const bool marker = !row.entry.isFileURL();
        if (marker && !out.empty() && !out.back().isFileURL())
            out.pop_back(); // the group before had nothing ticked
        if (marker || (row.ticked && seen.insert(row.entry.path()).second))
            out.push_back(row.entry);
    }
    if (!out.empty() && !out.back().isFileURL())
        out.pop_back();
    return out;
}

std::uint64_t RemovalListModel::tickedBytes() const {
    std::uint64_t sum = 0;
    std::set<std::filesystem::path> seen;
    for (const Row &row : m_rows)
        if (row.entry.isFileURL() && row.ticked && seen.insert(row.entry.path()).second)
            sum += row.bytes;
    return sum;
}

} // namespace zembra
