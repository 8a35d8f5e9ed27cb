#include "extensions/screens/ExtensionListModel.h"

#include "platform/VisibleText.h"

#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QThreadPool>

namespace zembra {

ExtensionListModel::ExtensionListModel(QObject *parent) : QAbstractListModel(parent) {
    m_sizeTimer.setInterval(kSizePollMilliseconds);
    connect(&m_sizeTimer, &QTimer::timeout, this, &ExtensionListModel::takeOverSizes);
}

ExtensionListModel::~ExtensionListModel() {
    if (m_box)
        m_box->cancel.store(true);
}

void ExtensionListModel::setRecords(Records records, IconOf icon) {
    if (m_box)
        m_box->cancel.store(true);
    beginResetModel();
    m_shadow_copy = std::move(records);
    m_install_items = m_shadow_copy;
    m_icon = std::move(icon);
    m_icons.clear();
    m_sizes.clear();
    m_loadedCount = m_shadow_copy.size();
    endResetModel();

    auto box = std::make_shared<SizeBox>();
    m_box = box;
    // The worker keeps the records alive through its own copy of the list.
    QThreadPool::globalInstance()->start([box, records = m_shadow_copy] {
        for (const Record &record : records) {
            if (box->cancel.load())
                return;
            const auto url = record->url();
            const std::uint64_t bytes = url ? platform::itemSize(*url) : 0;
            std::lock_guard lock(box->mutex);
            box->ready.emplace_back(record.get(), bytes);
        }
        box->done.store(true);
    });
    m_sizeTimer.start();
}

void ExtensionListModel::takeOverSizes() {
    const bool done = m_box->done.load();
    std::vector<std::pair<const ItemRecord *, std::uint64_t>> ready;
    {
        std::lock_guard lock(m_box->mutex);
        ready.swap(m_box->ready);
    }
    int first = rowCount(), last = -1;
    for (const auto &[record, bytes] : ready) {
        m_sizes[record] = bytes;
        const int row = rowOf(record);
        if (row >= 0) {
            first = std::min(first, row);
            last = std::max(last, row);
        }
    }
    if (last >= 0)
        emit dataChanged(index(first), index(last), {SizeRole});
    if (done) {
        m_sizeTimer.stop();
        emit sizesFinished();
    }
}

int ExtensionListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_install_items.size());
}

QVariant ExtensionListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(m_install_items.size()))
        return {};
    const ItemRecord &record = *m_install_items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return platform::visiblyEscaped(record.label().value_or(QString()));
    case Qt::AccessibleDescriptionRole:
    case PathRole:
        // The folder that holds the item.
        return record.url() ? shownPath(record.url()->parent_path(), m_paths) : QString();
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

ExtensionListModel::Record ExtensionListModel::recordAt(int row) const {
    return row >= 0 && row < int(m_install_items.size()) ? m_install_items[size_t(row)] : nullptr;
}

int ExtensionListModel::rowOf(const ItemRecord *record) const {
    for (size_t i = 0; i < m_install_items.size(); ++i)
        if (m_install_items[i].get() == record)
            return int(i);
    return -1;
}

void ExtensionListModel::removeRecord(const ItemRecord *record) {
    const int row = rowOf(record);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        m_install_items.erase(m_install_items.begin() + row);
        endRemoveRows();
    }
    std::erase_if(m_shadow_copy, [record](const Record &r) { return r.get() == record; });
}

void ExtensionListModel::setFilter(const QString &text) {
    beginResetModel();
    if (text.isEmpty()) {
        m_install_items = m_shadow_copy;
    } else {
        const std::string key = platform::foldForMatch(text);
        m_install_items.clear();
        for (const Record &r : m_shadow_copy)
            if (platform::containsFolded(platform::foldForMatch(r->label().value_or(QString())),
                                         key))
                m_install_items.push_back(r);
    }
    endResetModel();
}

} // namespace zembra
