#pragma once
// Safari's own list of installed extensions, Library/Safari/Extensions/Extensions.plist:
// read for the extension list and rewritten without a removed extension. The file is
// untrusted input: an entry whose archive name would lead out of the extensions folder
// gives nothing.

#include "platform/DeletionScope.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zembra::safari {

namespace fs = std::filesystem;

inline constexpr const char *kInstalledExtensions = "Installed Extensions";
inline constexpr const char *kArchiveFileName = "Archive File Name";
inline constexpr const char *kBundleIdentifier = "Bundle Identifier";

fs::path extensionsFolder(const fs::path &home);
fs::path extensionsList(const fs::path &home);

struct ListEntry {
    QString archiveFileName;
    std::optional<QString> bundleIdentifier;
};

// A name that stays inside the extensions folder: not "", ".", "..", no "/".
bool isUsableArchiveName(const QString &name);

// The usable entries of the list, in the list's order. Nothing for an unreadable file or
// one whose "Installed Extensions" is not an array; a non-dictionary entry, or one without
// a usable archive name, is skipped; a non-string identifier counts as missing.
std::vector<ListEntry> readInstalledExtensions(const fs::path &listFile);

enum class RewriteResult {
    Rewritten,
    NothingToRemove,  // no entry has the identifier: the list is left as it is
    NotPlainFolder,   // Library/Safari/Extensions is not a chain of real folders in the home
    LeftUnreadable,   // the list cannot be read (again)
    WouldNotReadBack, // the new list would not read back equal: left as it was
    WriteFailed,
    NotGranted, // the home folder is not granted for changes
};

// The list no longer holds the identifier (rewritten, or it had none).
inline bool isGone(RewriteResult r) {
    return r == RewriteResult::Rewritten || r == RewriteResult::NothingToRemove;
}

// What dropping an identifier makes of the list, decided before anything is deleted.
struct ListRewrite {
    // Rewritten: `bytes` is the new list, checked to read back as the old one less the
    // entries; NothingToRemove: no entry has the identifier; otherwise why it cannot be.
    RewriteResult verdict = RewriteResult::LeftUnreadable;
    QByteArray original; // the list as it was read
    QByteArray bytes;
};

// The list `original` without every entry whose identifier equals `identifier`; other keys
// and entries stay as they were, and the list keeps its format. A binary list is written
// anew; an XML list keeps its own bytes but for the entries' elements.
ListRewrite rewriteWithout(const QByteArray &original, const std::optional<QString> &identifier);

// The plan for the list of the home folder `home`, reached from `home` through real
// folders only, the list itself never through a link.
ListRewrite planRemoval(const fs::path &home, const std::optional<QString> &identifier);

// Carries out `plan` in the folder `scope` reaches: the new list replaces the old one in one step
// (a temporary file beside it, synced, with the old file's permissions, renamed over it). When the
// list changed since the plan it is decided again. On any failure the list is left untouched.
RewriteResult applyRewrite(const platform::DeletionScope &scope, const fs::path &home,
                           const std::optional<QString> &identifier, const ListRewrite &plan);

// planRemoval, then applyRewrite.
RewriteResult removeFromList(const platform::DeletionScope &scope, const fs::path &home,
                             const std::optional<QString> &identifier);

// Why the list cannot be rewritten, for a message; "" when it can (or need not be).
std::string whyNotRewritable(RewriteResult r);

} // namespace zembra::safari
