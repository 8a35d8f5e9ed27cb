#include "extensions/screens/ExtensionListModel.h"

#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QThreadPool>

namespace zembra {

ExtensionListModel::ExtensionListModel(QObject *parent) : QAbstractListModel(parent) {}

ExtensionListModel::~ExtensionListModel()
{
    if (m_cancel)
        m_cancel->store(true);
}

void ExtensionListModel::setRecords(Records records, IconOf icon)
{
    if (m_cancel)
        m_cancel->store(true);
    beginResetModel();
    m_shadow_copy = std::move(records);
    m_install_items = m_shadow_copy;
    m_icon = std::move(icon);
    m_icons.clear();
    m_sizes.clear();
    m_loadedCount = m_shadow_copy.size();
    endResetModel();

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancel;
    if (m_shadow_copy.empty()) {
        emit sizesFinished();
        return;
    }
    // The worker keeps the records alive through its own copy of the list; results come
    // back as queued calls, which Qt drops once the model is gone.
    QThreadPool::globalInstance()->start([this, cancel, records = m_shadow_copy] {
        for (const Record &record : records) {
            if (cancel->load())
                return;
            const auto url = record->url();
            const std::uint64_t bytes = url ? platform::itemSize(*url) : 0;
            QMetaObject::invokeMethod(
                this, [this, cancel, r = record.get(), bytes] {
                    if (!cancel->load())
                        sizeArrived(r, bytes);
                },
                Qt::QueuedConnection);
        }
    });
}

void ExtensionListModel::sizeArrived(const ItemRecord *record, std::uint64_t bytes)
{
    m_sizes[record] = bytes;
    const int row = rowOf(record);
    if (row >= 0)
        emit dataChanged(index(row), index(row), {SizeRole});
    if (m_sizes.size() == m_loadedCount)
        emit sizesFinished();
}

int ExtensionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_install_items.size());
}

QVariant ExtensionListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_install_items.size()))
        return {};
    const ItemRecord &record = *m_install_items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return record.label().value_or(QString());
    case Qt::AccessibleDescriptionRole:
    case PathRole:
        // The folder that holds the item.
        return record.url() ? platform::displayPath(record.url()->parent_path()) : QString();
    case SizeRole: {
        const auto it = m_sizes.find(&record);
        return it == m_sizes.end() ? QVariant() : QVariant(platform::formatByteCount(it->second));
    }
    case Qt::DecorationRole: {
        auto it = m_icons.find(&record);
        if (it == m_icons.end())
            it = m_icons.emplace(&record, m_icon ? m_icon(record) : QIcon()).first;
        return it->second;
    }
    default:
        return {};
    }
}

ExtensionListModel::Record ExtensionListModel::recordAt(int row) const
{
    return row >= 0 && row < int(m_install_items.size()) ? m_install_items[size_t(row)] : nullptr;
}

int ExtensionListModel::rowOf(const ItemRecord *record) const
{
    for (size_t i = 0; i < m_install_items.size(); ++i)
        if (m_install_items[i].get() == record)
            return int(i);
    return -1;
}

void ExtensionListModel::removeRecord(const ItemRecord *record)
{
    const int row = rowOf(record);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        m_install_items.erase(m_install_items.begin() + row);
        endRemoveRows();
    }
    std::erase_if(m_shadow_copy, [record](const Record &r) { return r.get() == record; });
}

void ExtensionListModel::setFilter(const QString &text)
{
    beginResetModel();
    if (text.isEmpty()) {
        m_install_items = m_shadow_copy;
    } else {
        const std::string key = platform::foldForMatch(text);
        m_install_items.clear();
        for (const Record &r : m_shadow_copy)
            if (platform::containsFolded(platform::foldForMatch(r->label().value_or(QString())), key))
                m_install_items.push_back(r);
    }
    endResetModel();
}

} // namespace zembra
