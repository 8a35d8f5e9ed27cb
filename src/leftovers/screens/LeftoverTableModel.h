#pragma once
// The review table's model: one row per entry of the search result (group rows for the
// category markers, file rows for the entries), four columns (name with check box and
// icon, folder, size, reveal). The check states are the `leftovers::Selection`.
//
// Everything a row shows is prepared off the GUI thread (`makeReviewRows`), so data()
// never touches the disk. Owned by the review screen; GUI thread only.

#include "catalogue/FileEntry.h"
#include "leftovers/EntryLook.h"
#include "leftovers/Selection.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

#include <filesystem>
#include <vector>

namespace zembra {

// What one table row shows, prepared on the search's worker.
struct ReviewRow {
    bool group = false;
    QString text;     // the group title, or the entry's name
    QString folder;   // the entry's path without its last component
    QString sizeText; // the byte count as the file browser writes it
    leftovers::EntryIcon icon = leftovers::EntryIcon::Document;
};

// The search result with its rows.
struct ReviewContents {
    std::vector<FileEntry> files;
    std::vector<SizeEntry> sizes;
    std::vector<ReviewRow> rows;
};

// Builds the rows of `files` and `sizes` (looks at the disk: run it off the GUI thread).
ReviewContents makeReviewContents(std::vector<FileEntry> files, std::vector<SizeEntry> sizes);

class LeftoverTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, FolderColumn, SizeColumn, RevealColumn, ColumnCount };
    enum Role { GroupRowRole = Qt::UserRole + 1 };

    explicit LeftoverTableModel(QObject *parent = nullptr);

    // Takes a result over: every file row selected.
    void setContents(ReviewContents contents);

    const leftovers::Selection &selection() const { return m_selection; }
    bool isGroupRow(int row) const;
    // The entry of a file row; empty for a group row.
    std::filesystem::path entryPath(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // The selection changed (after a check box was toggled).
    void selectionChanged();

private:
    QIcon iconFor(int row) const;

    leftovers::Selection m_selection;
    std::vector<ReviewRow> m_rows;
    // One icon per kind, looked up once per result; the entries that show their own icon
    // (desktop items) by row.
    QHash<int, QIcon> m_kindIcons;
    QHash<int, QIcon> m_ownIcons;
};

} // namespace zembra
