#include "extensions/screens/ExtensionListModel.h"

#include "platform/VisibleText.h"

#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace zembra {

ExtensionListModel::ExtensionListModel(QObject *parent) : QAbstractListModel(parent) {}

// The job, a child of the model, cancels its worker when the model goes.
ExtensionListModel::~ExtensionListModel() = default;

void ExtensionListModel::setRecords(Records records, IconOf icon) {
    // The old load's job goes with whatever it still had to say.
    delete m_sizeJob;
    m_sizeJob = nullptr;
    beginResetModel();
    m_shadow_copy = std::move(records);
    m_install_items = m_shadow_copy;
    m_icon = std::move(icon);
    m_icons.clear();
    m_sizes.clear();
    m_loadedCount = m_shadow_copy.size();
    endResetModel();

    m_sizeJob = new Job<Sizes>(this);
    connect(m_sizeJob, &JobSignals::batchesReady, this, &ExtensionListModel::takeOverSizes);
    connect(m_sizeJob, &JobSignals::finished, this, [this] {
        takeOverSizes();
        emit sizesFinished();
    });
    // The worker keeps the records alive through its own copy of the list.
    m_sizeJob->startInBatches([records = m_shadow_copy](const BatchControl<Sizes> &control) {
        for (const Record &record : records) {
            if (control.cancelled())
                return;
            const auto url = record->url();
            control.report(Sizes{{record, url ? platform::itemSize(*url) : 0}});
        }
    });
}

void ExtensionListModel::takeOverSizes() {
    int first = rowCount(), last = -1;
    for (const Sizes &sizes : m_sizeJob->takeBatches()) {
        for (const auto &[record, bytes] : sizes) {
            m_sizes[record.get()] = bytes;
            const int row = rowOf(record.get());
            if (row >= 0) {
                first = std::min(first, row);
                last = std::max(last, row);
            }
        }
    }
    if (last >= 0)
        emit dataChanged(index(first), index(last), {SizeRole});
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
