#include "extensions/ExtensionRemoval.h"

#include "catalogue/Application.h"
#include "extensions/SafariExtensionsList.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/ProtectedFolders.h"
#include "leftovers/RemovalOutcome.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"

namespace zembra {

leftovers::SearchResult findFilesWithoutReview(ItemRecord &item,
                                               platform::SettingsStore &settings) {
    return leftovers::searchLeftovers(item, settings, leftovers::SearchMode::WithoutReview);
}

std::vector<QString> keptWithoutReview(const ItemRecord &item, platform::SettingsStore &settings) {
    const leftovers::Review review = leftovers::buildReview(
        item, settings, Application(settings).everyInstalledApplication(), false);
    return review.keptReasons(review.selection());
}

// Once a deletion has failed, every later entry is recorded while the item itself still
// exists; the list is handed back only when it starts with an entry that is still there.
std::vector<FileEntry> removeFoundFiles(const platform::DeletionScope &scope,
                                        const ItemRecord &item, const std::vector<QString> &kept,
                                        const ExtensionRemovalServices &services) {
    const leftovers::ProtectedFolders protectedFolders(scope.folders());
    const auto remove = [&](const std::filesystem::path &p) {
        if (!scope.allows(p) || protectedFolders.contains(p))
            return false;
        return services.removeItem ? services.removeItem(p) : scope.remove(p);
    };
    const auto exists = services.itemExists ? services.itemExists : platform::itemExists;
    const std::filesystem::path itself = item.url().value_or(std::filesystem::path());

    std::vector<FileEntry> failures;
    bool errorSet = false;
    const std::vector<FileEntry> files = item.files();
    for (size_t i = 0; i < files.size(); ++i) {
        const FileEntry &entry = files[i];
        if (i < kept.size() && !kept[i].isEmpty())
            continue; // never deleted, so never a failure either
        if (entry.isFileURL() && !remove(entry.path()))
            errorSet = true;
        if (errorSet && !itself.empty() && exists(itself))
            failures.push_back(entry);
    }
    if (!leftovers::remainderStands(failures, exists))
        failures.clear();
    return failures;
}

bool dropFromSafariList(const platform::DeletionScope &scope, const SafariItem &item,
                        const std::optional<std::filesystem::path> &home) {
    return home && safari::isGone(safari::removeFromList(scope, *home, item.bundle()));
}

SafariRemoval removeSafariFiles(const platform::DeletionScope &scope, const SafariItem &item,
                                const std::vector<QString> &kept,
                                const std::optional<std::filesystem::path> &home,
                                const ExtensionRemovalServices &services) {
    const safari::ListRewrite plan =
        home ? safari::planRemoval(*home, item.bundle())
             : safari::ListRewrite{safari::RewriteResult::NotPlainFolder, {}, {}};
    if (!safari::isGone(plan.verdict)) {
        // Nothing is deleted, so everything from the item on remained.
        const auto exists = services.itemExists ? services.itemExists : platform::itemExists;
        std::vector<FileEntry> remained;
        const std::vector<FileEntry> files = item.files();
        bool started = false;
        for (size_t i = 0; i < files.size(); ++i) {
            started = started || files[i].isFileURL();
            if (started && (i >= kept.size() || kept[i].isEmpty()))
                remained.push_back(files[i]);
        }
        if (!leftovers::remainderStands(remained, exists))
            remained.clear();
        return {plan.verdict, std::move(remained)};
    }
    std::vector<FileEntry> remained = removeFoundFiles(scope, item, kept, services);
    return {home ? safari::applyRewrite(scope, *home, item.bundle(), plan) : plan.verdict,
            std::move(remained)};
}

std::vector<FileEntry> remove_files(const platform::DeletionScope &scope, BundleItem &item,
                                    platform::SettingsStore &settings,
                                    const std::function<void(bool)> &completion,
                                    const ExtensionRemovalServices &services) {
    std::vector<FileEntry> remained;
    if (findFilesWithoutReview(item, settings).unreadable.empty())
        remained = removeFoundFiles(scope, item, keptWithoutReview(item, settings), services);
    if (completion)
        completion(true);
    return remained;
}

std::vector<FileEntry> remove_safari_extension(const platform::DeletionScope &scope,
                                               SafariItem &item, platform::SettingsStore &settings,
                                               const std::function<void(bool)> &completion,
                                               const ExtensionRemovalServices &services) {
    std::vector<FileEntry> remained;
    const auto found = findFilesWithoutReview(item, settings);
    if (found.unreadable.empty())
        remained = removeSafariFiles(scope, item, keptWithoutReview(item, settings),
                                     found.home.folder, services)
                       .remained;
    if (completion)
        completion(true);
    return remained;
}

} // namespace zembra
