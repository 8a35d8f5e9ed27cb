#pragma once
// What a removal without review is about to delete, for the confirmation sheet: one
// group row per category marker (its title and the bytes ticked in it) and one row per
// entry found, with its size and a tick. The item itself always stays ticked (Cancel is
// the way to keep it). Keeping an entry keeps the listed folders that hold it; ticking a
// folder ticks what is listed inside it. GUI thread only.

#include "catalogue/FileEntry.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zembra {

class RemovalListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `startsTicked` gives the first tick state of each entry other than the item itself.
    RemovalListModel(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                     const std::filesystem::path &itself,
                     const std::function<bool(const std::filesystem::path &)> &startsTicked,
                     QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    bool isGroupRow(int row) const;
    // The list to delete: each marker followed by its ticked entries (each path once);
    // groups with nothing ticked are left out.
    std::vector<FileEntry> tickedFiles() const;
    std::uint64_t tickedBytes() const;

signals:
    void tickedChanged();

private:
    struct Row {
        FileEntry entry;
        std::uint64_t bytes = 0;
        bool ticked = true;
        bool fixed = false; // the item itself
    };
    void setTicked(size_t row, bool ticked);
    std::uint64_t groupBytes(size_t groupRow) const;

    std::vector<Row> m_rows;
};

} // namespace zembra
