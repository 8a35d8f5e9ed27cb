#pragma once
// Removal of a plug-in or a Safari extension without review: the leftover search runs on
// the item's own record (reduced, see SearchMode::WithoutReview), everything it found is
// deleted except the entries another installed application uses and those only weak name
// keys found, and what remained is handed back as a value. The Safari variant deletes only
// once Safari's extensions list is known to be rewritable without the extension, and then
// rewrites it. Both run synchronously on the calling thread (the screens use a worker),
// call their completion once with true and return what remained.
//
// The steps are public too, so that a caller can show what was found and delete
// exactly that.

#include "catalogue/ItemRecord.h"
#include "extensions/SafariExtensionsList.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/SettingsStore.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace zembra {

struct ExtensionRemovalServices {
    // Default: the scope's deletion. A replacement is asked only for what the scope allows.
    std::function<bool(const std::filesystem::path &)> removeItem;
    std::function<bool(const std::filesystem::path &)> itemExists; // default: the platform's
};

// What remained of the item: empty when nothing stands (see leftovers/RemovalOutcome).
std::vector<FileEntry> remove_files(const platform::DeletionScope &scope, BundleItem &item,
                                    platform::SettingsStore &settings,
                                    const std::function<void(bool)> &completion,
                                    const ExtensionRemovalServices &services = {});

std::vector<FileEntry> remove_safari_extension(const platform::DeletionScope &scope,
                                               SafariItem &item, platform::SettingsStore &settings,
                                               const std::function<void(bool)> &completion,
                                               const ExtensionRemovalServices &services = {});

// Step 1: the reduced search fills the record's `files`; returns what the search reports
// (the home folder it used, the granted folders it could not read). Nothing should be
// deleted when `unreadable` is not empty: the list may be incomplete.
leftovers::SearchResult findFilesWithoutReview(ItemRecord &item, platform::SettingsStore &settings);
// Step 2: why each row of `files` must stay ("" for a row to delete): an entry another
// installed application uses (flagged, see leftovers/SharedEntries), one only weak name
// keys found ("weak match"), and every listed folder holding one. A removal without
// review never deletes them.
std::vector<QString> keptWithoutReview(const ItemRecord &item, platform::SettingsStore &settings);
// Step 3: deletes every file entry of `files` whose reason in `kept` is "" (a missing
// reason counts as ""), as far as `scope` allows and never a protected folder (see
// leftovers/ProtectedFolders). Returns what remained when it stands (see
// leftovers/RemovalOutcome), else nothing.
std::vector<FileEntry> removeFoundFiles(const platform::DeletionScope &scope,
                                        const ItemRecord &item, const std::vector<QString> &kept,
                                        const ExtensionRemovalServices &services = {});
// Step 4 (Safari): Safari's list below `home` without the item's entries. True when the
// list no longer holds them; false when it was left untouched (not reachable through
// real folders, unreadable, or a rewrite that would not read back equal) or there is no
// home folder.
bool dropFromSafariList(const platform::DeletionScope &scope, const SafariItem &item,
                        const std::optional<std::filesystem::path> &home);
// Steps 3 and 4 for a Safari extension, in the order that keeps Safari's list and the
// disk in agreement: first decides whether the list below `home` can be rewritten
// without the extension; only then deletes as removeFoundFiles does and rewrites the
// list. When it cannot, nothing is deleted and every entry from the item on remained
// (when the item exists).
struct SafariRemoval {
    safari::RewriteResult verdict; // the list's (see safari::whyNotRewritable)
    std::vector<FileEntry> remained;
};
SafariRemoval removeSafariFiles(const platform::DeletionScope &scope, const SafariItem &item,
                                const std::vector<QString> &kept,
                                const std::optional<std::filesystem::path> &home,
                                const ExtensionRemovalServices &services = {});

} // namespace zembra
