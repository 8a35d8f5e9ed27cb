#pragma once
// Stand-in for security-scoped bookmarks and the application sandbox.
//
// A bookmark is the folder's absolute path as UTF-8 bytes; resolving it gives that path
// back whenever data is stored and is never stale. Starting access adds the folder to
// the process-wide set of granted folders, and deletion is allowed only below one of
// them (or on an item granted by itself, as a dropped bundle is). Thread-safe.

#include <QByteArray>

#include <filesystem>
#include <optional>
#include <vector>

namespace zembra::platform {

namespace fs = std::filesystem;

QByteArray bookmarkData(const fs::path &folder);

struct ResolvedBookmark {
    std::optional<fs::path> folder; // nothing when no data is stored
    bool stale = false;
};
ResolvedBookmark resolveBookmarkData(const QByteArray &data);

class FolderAccess {
public:
    // Deletion becomes allowed strictly below `folder`.
    static void startAccessing(const fs::path &folder);
    // Deletion becomes allowed on `item` itself and below it (a dropped bundle).
    static void grantItem(const fs::path &item);
    static bool mayDelete(const fs::path &path);
    // Where a deletion of `path` starts walking down without following links: the
    // granted folder that holds it (the granted path itself may pass through links), or
    // the parent of an item granted by itself. Nothing when the deletion is not allowed.
    static std::optional<fs::path> deletionBase(const fs::path &path);
    // The folders access was started on (not the items granted by themselves), absolute.
    static std::vector<fs::path> grantedFolders();
    // Forget every grant; tests use it to start from a closed sandbox.
    static void reset();
};

} // namespace zembra::platform
