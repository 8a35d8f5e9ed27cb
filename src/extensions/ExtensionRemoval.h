#pragma once
// Removal of a plug-in or a Safari extension without review: the leftover search runs on
// the item's own record (reduced, see SearchMode::WithoutReview), everything it found is
// deleted except the entries another installed application uses and those only weak name
// keys found, and what remained goes to the shared state. The Safari variant deletes only
// once Safari's extensions list is known to be rewritable without the extension, and then
// rewrites it. Both run synchronously on the calling
// thread (the screens use a worker) and call their completion once with true.
//
// The steps are public too, so that a caller can show what was found and delete
// exactly that.

#include "catalogue/ItemRecord.h"
#include "extensions/SafariExtensionsList.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/SettingsStore.h"
#include "shell/SharedState.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace zembra {

struct ExtensionRemovalServices {
    // Default: the scope's deletion. A replacement is asked only for what the scope allows.
    std::function<bool(const std::filesystem::path &)> removeItem;
    std::function<bool(const std::filesystem::path &)> itemExists; // default: the platform's
};

void remove_files(const platform::DeletionScope &scope, BundleItem &item,
                  platform::SettingsStore &settings, SharedState &state,
                  const std::function<void(bool)> &completion,
                  const ExtensionRemovalServices &services = {});

void remove_safari_extension(const platform::DeletionScope &scope, SafariItem &item,
                             platform::SettingsStore &settings, SharedState &state,
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
// leftovers/ProtectedFolders); what remained goes to `state` when it stands (see
// leftovers/RemovalOutcome).
void removeFoundFiles(const platform::DeletionScope &scope, const ItemRecord &item,
                      SharedState &state, const std::vector<QString> &kept,
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
// list. When it cannot, nothing is deleted and `state` gets every entry from the item on
// as remained (when the item exists). Returns the list's verdict (see
// safari::whyNotRewritable).
safari::RewriteResult removeSafariFiles(const platform::DeletionScope &scope,
                                        const SafariItem &item, SharedState &state,
                                        const std::vector<QString> &kept,
                                        const std::optional<std::filesystem::path> &home,
                                        const ExtensionRemovalServices &services = {});

} // namespace zembra
