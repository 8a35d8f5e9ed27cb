#pragma once
// The rows of an extension list: the loaded records (`shadow_copy`), the rows shown
// (`install_items`, the loaded list or the part that passes the search), and each row's
// size on disk. Sizes are computed once per load on a worker and shown as they arrive
// (each handed over by the load's job as soon as it is known), so the list opens at once;
// until its size arrives a row shows none. GUI thread only; the worker touches nothing
// but its own copy of the list, never the model; a new load or the model's end cancels
// it and drops what it still hands over.

#include "catalogue/ItemRecord.h"
#include "shell/Job.h"
#include "shell/ShownPath.h"

#include <QAbstractListModel>
#include <QIcon>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zembra {

class ExtensionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, SizeRole };
    using Record = std::shared_ptr<ItemRecord>;
    using Records = std::vector<Record>;
    using IconOf = std::function<QIcon(const ItemRecord &)>;

    explicit ExtensionListModel(QObject *parent = nullptr);
    ~ExtensionListModel() override;

    // How the rows write the folders that hold the items.
    void setPathStyle(PathStyle paths) { m_paths = std::move(paths); }
    // Takes the loaded list, shows all of it and starts the size worker.
    void setRecords(Records records, IconOf icon);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    Record recordAt(int row) const;
    // The row that shows `record` now; -1 when it is not shown.
    int rowOf(const ItemRecord *record) const;
    // Drops `record` from the rows shown and from the loaded list.
    void removeRecord(const ItemRecord *record);
    // Shows the loaded records whose label contains `text` (case and diacritics
    // ignored), in loaded order; an empty text shows them all.
    void setFilter(const QString &text);

    const Records &loaded() const { return m_shadow_copy; }
    bool allSizesKnown() const { return m_sizes.size() >= m_loadedCount; }

signals:
    // Every size of the load has arrived.
    void sizesFinished();

private:
    // What the worker hands over: records whose size it has measured.
    using Sizes = std::vector<std::pair<Record, std::uint64_t>>;
    void takeOverSizes();

    Records m_shadow_copy;
    Records m_install_items;
    IconOf m_icon;
    PathStyle m_paths;
    mutable std::unordered_map<const ItemRecord *, QIcon> m_icons;
    std::unordered_map<const ItemRecord *, std::uint64_t> m_sizes;
    size_t m_loadedCount = 0;
    Job<Sizes> *m_sizeJob = nullptr;
};

} // namespace zembra
