#include "leftovers/screens/LeftoverTableModel.h"

#include "leftovers/LeftoverKeys.h"
#include "leftovers/screens/ApplicationImages.h"
#include "platform/ByteCountFormatter.h"
#include "platform/FileSystem.h"
#include "platform/VisibleText.h"
#include "platform/Workspace.h"

namespace zembra {

using leftovers::EntryIcon;

namespace {

bool isMarkerWord(const QString &word) {
    using namespace leftovers;
    for (const QString *m : {&kExecutables, &kPreferences, &kSupportfiles, &kLauchAgents, &kLogs,
                             &kPlugins, &kDesktop, &kOther, &kRelated})
        if (word == *m)
            return true;
    return false;
}

QString sentence(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

ReviewContents makeReviewContents(const leftovers::Review &review, const PathStyle &paths) {
    ReviewContents c;
    const std::vector<FileEntry> &files = review.files;
    c.rows.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &e = files[i];
        ReviewRow row;
        if (!e.isFileURL()) {
            // Only the marker words make group rows; any other word (there is none in a
            // review) shows as an empty row.
            row.group = isMarkerWord(e.absoluteString());
            row.text = row.group ? leftovers::groupTitle(e.absoluteString()) : QString();
        } else {
            const leftovers::EntryLook look =
                leftovers::entryLook(e.path(), platform::isRealDirectory(e.path()));
            // The name from its bytes, so that one that is not UTF-8 shows which bytes.
            row.text = look.name == platform::lastComponent(e.path())
                           ? platform::visiblyEscaped(e.path().filename().native())
                           : look.name;
            row.icon = look.icon;
            row.folder = shownPath(e.path().parent_path(), paths);
            row.sizeText = platform::formatByteCount(
                i < review.sizes.size() ? review.sizes[i].byteCount() : 0);
            row.flagged = i < review.flags.size() && review.flags[i].flagged();
            QString why;
            if (review.isNotAllowed(i) && !review.isRelated(i)) {
                row.note = why = sentence(leftovers::kKeptNotAllowed);
            } else if (row.flagged) {
                row.note = why = sentence(review.flags[i].keptReason());
            } else if (review.isWeak(i)) {
                row.note = why = sentence(leftovers::kKeptWeakMatch);
            } else if (review.isRelated(i) && i < review.reasons.size()) {
                // The group's title already says "Possibly related": the row's line keeps
                // the narrow column for the reason itself.
                // One tied to the application itself starts ticked: only its reason.
                row.note = sentence(review.reasons[i]);
                why = review.isTied(i)
                          ? row.note
                          : sentence(leftovers::kKeptPossiblyRelated + review.reasons[i]);
            }
            row.toolTip = fullPath(e.path());
            if (!why.isEmpty())
                row.toolTip += QLatin1Char('\n') + why;
        }
        c.rows.push_back(std::move(row));
    }
    c.selection = review.selection();
    return c;
}

LeftoverTableModel::LeftoverTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void LeftoverTableModel::setContents(ReviewContents contents) {
    beginResetModel();
    m_rows = std::move(contents.rows);
    m_selection = std::move(contents.selection);
    m_kindIcons.clear();
    m_ownIcons.clear();

    platform::Workspace &ws = platform::Workspace::shared();
    const auto &files = m_selection.files();
    m_kindIcons.insert(int(EntryIcon::Folder),
                       ws.iconForFileType(QStringLiteral("inode/directory")));
    m_kindIcons.insert(int(EntryIcon::Document),
                       ws.iconForFileType(QStringLiteral("application/octet-stream")));
    m_kindIcons.insert(int(EntryIcon::ItemBundle), files.size() > 1 && files[1].isFileURL()
                                                       ? ws.iconForFile(files[1].path())
                                                       : QIcon());
    m_kindIcons.insert(int(EntryIcon::Preferences),
                       applicationImage(QStringLiteral("preferences")));
    m_kindIcons.insert(int(EntryIcon::WebLocation), ws.iconForFileType(QStringLiteral("webloc")));
    m_kindIcons.insert(int(EntryIcon::CrashReport), ws.iconForFileType(QStringLiteral("crash")));
    m_kindIcons.insert(int(EntryIcon::LaunchAgent),
                       applicationImage(QStringLiteral("launch_agent")));
    m_kindIcons.insert(int(EntryIcon::BundleType), ws.iconForFileType(QStringLiteral("bundle")));
    m_kindIcons.insert(int(EntryIcon::Help), ws.iconForFileType(QStringLiteral("help")));
    m_kindIcons.insert(int(EntryIcon::Workflow), ws.iconForFileType(QStringLiteral("workflow")));
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (!m_rows[i].group && m_rows[i].icon == EntryIcon::OwnIcon && i < files.size())
            m_ownIcons.insert(int(i), ws.iconForFile(files[i].path()));
    endResetModel();
}

bool LeftoverTableModel::isGroupRow(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() && m_rows[row].group;
}

std::filesystem::path LeftoverTableModel::entryPath(int row) const {
    return m_selection.isFileRow(size_t(row)) ? m_selection.files()[size_t(row)].path()
                                              : std::filesystem::path();
}

int LeftoverTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LeftoverTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QIcon LeftoverTableModel::iconFor(int row) const {
    const EntryIcon kind = m_rows[size_t(row)].icon;
    if (kind == EntryIcon::OwnIcon)
        return m_ownIcons.value(row);
    return m_kindIcons.value(int(kind));
}

QVariant LeftoverTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const ReviewRow &row = m_rows[size_t(index.row())];
    if (role == GroupRowRole)
        return row.group;
    if (role == FlaggedRole)
        return row.flagged;
    if (role == NoteRole)
        return row.note;
    if (row.group || !m_selection.isFileRow(size_t(index.row())))
        return (index.column() == NameColumn &&
                (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
                   ? QVariant(row.text)
                   : QVariant();
    switch (index.column()) {
    case NameColumn:
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return row.text;
        if (role == Qt::DecorationRole)
            return iconFor(index.row());
        if (role == Qt::CheckStateRole)
            return m_selection.isSelected(size_t(index.row())) ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::ToolTipRole) {
            // A folder the user did not untick may be unticked because an entry inside it
            // is kept (deleting the folder would take it along): say so.
            const size_t i = size_t(index.row());
            if (row.note.isEmpty() && !m_selection.isSelected(i) &&
                !m_selection.keptRowsBelow(i).empty())
                return row.toolTip + QLatin1Char('\n') + sentence(leftovers::kKeptHoldsKept);
            return row.toolTip;
        }
        if (role == Qt::AccessibleDescriptionRole)
            return row.note;
        break;
    case FolderColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
            return row.folder;
        break;
    case SizeColumn:
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return row.sizeText;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case RevealColumn:
        if (role == Qt::DecorationRole)
            return applicationImage(QStringLiteral("reveal"));
        if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
            return tr("Show %1 in the file manager").arg(row.text);
        break;
    default:
        break;
    }
    return {};
}

bool LeftoverTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != NameColumn ||
        !m_selection.isFileRow(size_t(index.row())))
        return false;
    // One change can tick or untick other rows too (a kept entry keeps the folders that
    // hold it), so every row is compared before and after.
    std::vector<bool> before(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        before[i] = m_selection.isSelected(i);
    m_selection.setSelected(size_t(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    int first = -1, last = -1;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (before[i] != m_selection.isSelected(i)) {
            if (first < 0)
                first = int(i);
            last = int(i);
        }
    if (first >= 0)
        emit dataChanged(this->index(first, NameColumn), this->index(last, NameColumn),
                         {Qt::CheckStateRole});
    emit selectionChanged();
    return true;
}

Qt::ItemFlags LeftoverTableModel::flags(const QModelIndex &index) const {
    if (!index.isValid() || isGroupRow(index.row()))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == NameColumn && m_selection.isFileRow(size_t(index.row())))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant LeftoverTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Name");
    case FolderColumn:
        return tr("Folder");
    case SizeColumn:
        return tr("Size");
    case RevealColumn:
        return tr("Show");
    default:
        return {};
    }
}

} // namespace zembra
