#pragma once
// The rows of an extension list: the loaded records (`shadow_copy`), the rows shown
// (`install_items`, the loaded list or the part that passes the search), and each row's
// size on disk. Sizes are computed once per load on a worker and shown as they arrive
// (a short timer takes over what the worker has finished), so the list opens at once;
// until its size arrives a row shows none. GUI thread only; the worker touches nothing
// but its own copy of the list and the shared result box, never the model.

#include "catalogue/ItemRecord.h"
#include "shell/ShownPath.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zembra {

class ExtensionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, SizeRole };
    using Record = std::shared_ptr<ItemRecord>;
    using Records = std::vector<Record>;
    using IconOf = std::function<QIcon(const ItemRecord &)>;

    // How often finished sizes are taken over from the worker.
    static constexpr int kSizePollMilliseconds = 40;

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
    // What the worker hands over: sizes finished since the last take-over.
    struct SizeBox {
        std::mutex mutex;
        std::vector<std::pair<const ItemRecord *, std::uint64_t>> ready;
        std::atomic<bool> cancel{false};
        std::atomic<bool> done{false};
    };
    void takeOverSizes();

    Records m_shadow_copy;
    Records m_install_items;
    IconOf m_icon;
    PathStyle m_paths;
    mutable std::unordered_map<const ItemRecord *, QIcon> m_icons;
    std::unordered_map<const ItemRecord *, std::uint64_t> m_sizes;
    size_t m_loadedCount = 0;
    std::shared_ptr<SizeBox> m_box;
    QTimer m_sizeTimer;
};

} // namespace zembra
