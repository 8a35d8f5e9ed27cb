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

enum class RewriteResult { Rewritten, LeftUnreadable, WriteFailed };

// Writes the list back, as XML, without every entry whose identifier equals `identifier`;
// other keys and entries stay as they were. A list that cannot be read is left alone.
RewriteResult removeFromList(const fs::path &listFile, const std::optional<QString> &identifier);

} // namespace zembra::safari
