#include "extensions/ExtensionRemoval.h"

#include "extensions/SafariExtensionsList.h"
#include "leftovers/LeftoverSearch.h"
#include "platform/FileSystem.h"

namespace zembra {

namespace {

// Deletes every file entry of the record's `files`. Once a deletion has failed, every
// later entry is recorded while the item itself still exists; the list reaches the
// shared state only when it starts with an entry that is still there.
void deleteFound(const ItemRecord &item, SharedState &state, const ExtensionRemovalServices &services)
{
    const auto remove = services.removeItem ? services.removeItem : platform::removeItem;
    const auto exists = services.itemExists ? services.itemExists : platform::itemExists;
    const std::filesystem::path itself = item.url().value_or(std::filesystem::path());

    std::vector<FileEntry> failures;
    bool errorSet = false;
    for (const FileEntry &entry : item.files()) {
        if (entry.isFileURL() && !remove(entry.path()))
            errorSet = true;
        if (errorSet && !itself.empty() && exists(itself))
            failures.push_back(entry);
    }
    if (!failures.empty() && failures.front().isFileURL() && exists(failures.front().path()))
        state.setRemainder_urls(std::move(failures));
}

} // namespace

std::vector<FileEntry> filesToRemoveWithoutReview(ItemRecord &item, platform::SettingsStore &settings)
{
    leftovers::searchLeftovers(item, settings, leftovers::SearchMode::WithoutReview);
    return item.files();
}

void remove_files(BundleItem &item, platform::SettingsStore &settings, SharedState &state,
                  const std::function<void(bool)> &completion, const ExtensionRemovalServices &services)
{
    leftovers::searchLeftovers(item, settings, leftovers::SearchMode::WithoutReview);
    deleteFound(item, state, services);
    if (completion)
        completion(true);
}

void remove_safari_extension(SafariItem &item, platform::SettingsStore &settings, SharedState &state,
                             const std::function<void(bool)> &completion, const ExtensionRemovalServices &services)
{
    const leftovers::SearchResult searched =
        leftovers::searchLeftovers(item, settings, leftovers::SearchMode::WithoutReview);
    deleteFound(item, state, services);
    if (searched.home.folder)
        safari::removeFromList(safari::extensionsList(*searched.home.folder), item.bundle());
    if (completion)
        completion(true);
}

} // namespace zembra
