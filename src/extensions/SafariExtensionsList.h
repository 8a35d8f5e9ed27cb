#pragma once
// Safari's own list of installed extensions, Library/Safari/Extensions/Extensions.plist:
// read for the extension list and rewritten without a removed extension. The file is
// untrusted input: an entry whose archive name would lead out of the extensions folder
// gives nothing.

#include <QString>

#include <filesystem>
#include <optional>
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
};

// The list no longer holds the identifier (rewritten, or it had none).
inline bool isGone(RewriteResult r) { return r == RewriteResult::Rewritten || r == RewriteResult::NothingToRemove; }

// Writes the list of the home folder `home` back without every entry whose identifier
// equals `identifier`; other keys and entries stay as they were, and the list keeps its
// format (binary or XML). The folders below `home` are reached without following links,
// the new list is checked to read back equal but for the dropped entries, and it replaces
// the old one in one step. On any failure the list is left untouched.
RewriteResult removeFromList(const fs::path &home, const std::optional<QString> &identifier);

} // namespace zembra::safari
