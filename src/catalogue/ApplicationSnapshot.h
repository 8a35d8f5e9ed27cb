#pragma once
// The watcher's memory of the installed applications: the identity fields of every
// application of the granted Applications folder, and of those that left it without
// going through Uninstaller zembra ("gone"), so that their leftovers can still be
// reviewed after the bundle itself is gone.
//
// Kept as JSON in the settings folder, written to a temporary file and renamed into
// place, so a reader never sees half a file. Records are keyed by `rememberedKey`.
// Plain functions; safe from any thread as long as one process writes the file.

#include "catalogue/Application.h"

#include <QDateTime>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace zembra {

struct RememberedApplication {
    std::shared_ptr<ApplicationItem> item; // label, names, identifier, company, executable, url
    bool installed = true;
    QDateTime goneSince; // when the watcher noticed it missing; invalid while installed
};

struct ApplicationSnapshot {
    std::filesystem::path applicationsFolder; // the folder the records were listed from
    std::vector<RememberedApplication> applications;
};

// How many gone applications are remembered; the oldest are forgotten first.
inline constexpr size_t kRememberedGoneLimit = 200;

// The key a record is remembered by: its bundle identifier when it has a non-empty one,
// else the absolute path of its bundle as text. "" for a record with neither.
QString rememberedKey(const ItemRecord &item);

// The snapshot file below a settings folder.
std::filesystem::path snapshotFile(const QString &settingsFolder);

// Nothing (no folder, no records) when the file is missing, unreadable, or not a regular
// file (a link, a FIFO).
ApplicationSnapshot readSnapshot(const std::filesystem::path &file);
// The file's bytes for a snapshot.
QByteArray snapshotJson(const ApplicationSnapshot &snapshot);
// Temporary file and rename; false when it could not be written, and when the file or
// its folder is a link or not a regular file (nothing is written through a link).
bool writeSnapshot(const std::filesystem::path &file, const ApplicationSnapshot &snapshot);
// The same with the bytes snapshotJson gave, for a caller that has them already.
bool writeSnapshotJson(const std::filesystem::path &file, const QByteArray &json);

// The same records, in the same order, with the same fields: what snapshotJson writes.
bool sameSnapshot(const ApplicationSnapshot &a, const ApplicationSnapshot &b);

// A fresh copy of the remembered record with `key`, installed or gone, ready for a
// review (see reviewableCopy); null when none.
std::shared_ptr<ApplicationItem> rememberedApplication(const ApplicationSnapshot &snapshot,
                                                       const QString &key);

// A fresh copy of a remembered record for its review. Its path keeps pointing at a bundle
// only while the remembered application itself is there: when nothing is, or another
// application was installed at that path since, the copy has no path, so the review
// lists no bundle of its own (and nothing at the old path is ever deleted for it).
std::shared_ptr<ApplicationItem> reviewableCopy(const ApplicationItem &remembered);

struct SnapshotChange {
    ApplicationSnapshot snapshot;
    // The applications that left (or arrived in the Trash) without going through
    // Uninstaller zembra, in list order: the ones to announce.
    std::vector<std::shared_ptr<ApplicationItem>> gone;
};

// The next snapshot, from the previous one and a fresh listing of `applicationsFolder`.
// A remembered installed application whose key is no longer installed has left: when
// `removedByZembra(key)` it is forgotten, otherwise it is kept as gone and announced.
// `trashArrivals` are application bundles that just arrived in the Trash: one with a
// bundle identifier that is neither installed nor remembered (and not removed by us) is
// remembered as gone and announced too. Gone records stay until their key is installed again.
// The installed records are those of `installed`, shared, not copied; gone ones are copies.
SnapshotChange refreshSnapshot(const ApplicationSnapshot &previous,
                               const std::filesystem::path &applicationsFolder,
                               const ApplicationList &installed,
                               const ApplicationList &trashArrivals,
                               const std::function<bool(const QString &key)> &removedByZembra,
                               const QDateTime &now = QDateTime::currentDateTimeUtc());

} // namespace zembra
