#pragma once
// Stand-in for security-scoped bookmarks: a bookmark is the folder's absolute path as
// UTF-8 bytes; resolving it gives that path back whenever data is stored and is never
// stale. Resolving grants nothing: the right to delete is a DeletionScope, built from the
// validated grants.

#include <QByteArray>

#include <filesystem>
#include <optional>

namespace zembra::platform {

namespace fs = std::filesystem;

QByteArray bookmarkData(const fs::path &folder);

struct ResolvedBookmark {
    std::optional<fs::path> folder; // nothing when no data is stored
    bool stale = false;
};
ResolvedBookmark resolveBookmarkData(const QByteArray &data);

} // namespace zembra::platform
