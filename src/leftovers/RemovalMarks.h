#pragma once
// Short-lived marks that a removal went through Uninstaller zembra. The removal deletes
// outright, so the background watcher cannot tell it from an application thrown away by
// hand; the removal writes a mark before deleting, and the watcher stays silent about an
// application whose mark it finds (and takes the mark away).
//
// A mark is a small file in the "removed-by-zembra" folder of the settings folder, named
// after a hash of the application's remembered key; it counts for ten minutes. Safe from
// any thread; failures to write are not errors (the watcher then notifies).

#include "catalogue/ItemRecord.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <filesystem>

namespace zembra::leftovers {

inline constexpr std::chrono::minutes kRemovalMarkLifetime{10};

// The folder of the marks below a settings folder.
std::filesystem::path removalMarksFolder(const QString &settingsFolder);

// Writes the mark of `item` (by its remembered key); true when it was written.
bool markRemoval(const ItemRecord &item, const QString &settingsFolder);

// True when a mark for `key` younger than the lifetime exists; the mark is removed
// either way, and so is every mark older than the lifetime.
bool takeRemovalMark(const QString &key, const QString &settingsFolder,
                     const QDateTime &now = QDateTime::currentDateTimeUtc());

} // namespace zembra::leftovers
