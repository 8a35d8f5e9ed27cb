#pragma once
// The review table's model: one row per row of the review (group rows for the category
// markers and the "Possibly related" group, file rows for the entries), four columns
// (name with check box and icon, folder, size, reveal). The check states are the
// `leftovers::Selection`. A file row another application uses too is flagged (NoteRole
// says why, FlaggedRole draws the badge); a row only weak name keys found notes "Weak
// match"; a related row's note is its reason.
//
// Everything a row shows is prepared off the GUI thread (`makeReviewContents`), so
// data() never touches the disk. Owned by the review screen; GUI thread only.

#include "catalogue/FileEntry.h"
#include "leftovers/EntryLook.h"
#include "leftovers/Review.h"
#include "leftovers/Selection.h"
#include "shell/ShownPath.h"

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
    QString note; // why a flagged or weak row starts unticked, a related row's reason; "" elsewhere
    QString toolTip; // the entry's path, and why the row starts unticked
    bool flagged = false;
    leftovers::EntryIcon icon = leftovers::EntryIcon::Document;
};

// The review with its rows, and the selection it starts with (flagged, weak and related
// rows unticked).
struct ReviewContents {
    leftovers::Selection selection;
    std::vector<ReviewRow> rows;
};

// Builds the rows of `review` and its starting selection (looks at the disk: run it off
// the GUI thread). Names and folders are escaped; folders are written in `paths`' style.
ReviewContents makeReviewContents(const leftovers::Review &review, const PathStyle &paths = {});

class LeftoverTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, FolderColumn, SizeColumn, RevealColumn, ColumnCount };
    enum Role {
        GroupRowRole = Qt::UserRole + 1,
        NoteRole,    // the row's note (see ReviewRow::note)
        FlaggedRole, // true for a row another application uses too
    };

    explicit LeftoverTableModel(QObject *parent = nullptr);

    // Takes a review over, with its starting selection.
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
