#pragma once
// Removal of a plug-in or a Safari extension without review: the leftover search runs on
// the item's own record (reduced, see SearchMode::WithoutReview), everything it found is
// deleted, and what remained goes to the shared state. The Safari variant then rewrites
// Safari's extensions list without the extension. Both run synchronously on the calling
// thread (the screens use a worker) and call their completion once with true.

#include "catalogue/ItemRecord.h"
#include "platform/SettingsStore.h"
#include "shell/SharedState.h"

#include <filesystem>
#include <functional>

namespace zembra {

struct ExtensionRemovalServices {
    std::function<bool(const std::filesystem::path &)> removeItem; // default: the platform's
    std::function<bool(const std::filesystem::path &)> itemExists; // default: the platform's
};

void remove_files(BundleItem &item, platform::SettingsStore &settings, SharedState &state,
                  const std::function<void(bool)> &completion, const ExtensionRemovalServices &services = {});

void remove_safari_extension(SafariItem &item, platform::SettingsStore &settings, SharedState &state,
                             const std::function<void(bool)> &completion,
                             const ExtensionRemovalServices &services = {});

// What the search before such a removal finds, without deleting anything.
std::vector<FileEntry> filesToRemoveWithoutReview(ItemRecord &item, platform::SettingsStore &settings);

} // namespace zembra
