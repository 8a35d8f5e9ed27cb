#include "leftovers/Removal.h"

#include "catalogue/BundleIdentity.h"
#include "leftovers/ProtectedFolders.h"
#include "leftovers/RemovalMarks.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Sound.h"

#include <set>

namespace zembra::leftovers {

namespace {

namespace fs = std::filesystem;

// A path as given and, where links above it lead elsewhere, as the kernel names it (a
// process's executable is named with every link resolved).
std::vector<fs::path> formsOf(const fs::path &path) {
    std::vector<fs::path> forms{platform::absolutePath(path)};
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(forms.front(), ec);
    if (!ec && resolved != forms.front())
        forms.push_back(resolved);
    return forms;
}

} // namespace

void playCompletionSoundFile() {
    if (!platform::playSoundFile(kCompletionSoundPath))
        platform::playCompletionEventSound();
}

void markRemovalInSettingsFolder(const ItemRecord &item) {
    markRemoval(item, platform::SettingsStore::folder());
}

bool isRunning(const ItemRecord &item, const std::vector<platform::RunningApplication> &running,
               const std::vector<FileEntry> &deleting) {
    const OptString bundle = item.bundle();
    std::vector<fs::path> folders;
    if (const auto url = item.url())
        for (const fs::path &form : formsOf(*url))
            folders.push_back(form);
    for (const FileEntry &e : deleting)
        if (e.isFileURL())
            for (const fs::path &form : formsOf(e.path()))
                folders.push_back(form);
    for (const platform::RunningApplication &app : running) {
        if (bundle && !bundle->isEmpty() && app.bundleIdentifier &&
            app.bundleIdentifier->contains(*bundle, Qt::CaseSensitive))
            return true;
        if (app.executable.empty())
            continue;
        const fs::path executable = platform::absolutePath(app.executable);
        for (const fs::path &folder : folders)
            if (platform::isWithin(executable, folder))
                return true;
    }
    return false;
}

RemovalOutcome removeSelection(const platform::DeletionScope &scope, const ItemRecord &item,
                               const std::vector<FileEntry> &prepare,
                               const std::vector<SizeEntry> &clean_size,
                               std::uint64_t common_remove_size, const RemovalServices &services) {
    RemovalOutcome outcome;
    outcome.common_remove_size = common_remove_size;
    if (isRunning(item,
                  services.runningApplications ? services.runningApplications()
                                               : std::vector<platform::RunningApplication>{},
                  prepare)) {
        outcome.refusedRunning = true;
        return outcome;
    }
    if (services.markRemoval)
        services.markRemoval(item);
    const auto stop = [&] { return services.stopRequested && services.stopRequested(); };
    const auto remove = services.removeItem ? services.removeItem : [&](const fs::path &p) {
        return scope.remove(p, stop);
    };
    const auto exists = services.itemExists ? services.itemExists : platform::itemExists;
    const ProtectedFolders protectedFolders = ProtectedFolders(scope.folders());
    const std::optional<fs::path> bundle =
        item.url() ? std::optional<fs::path>(platform::absolutePath(*item.url())) : std::nullopt;
    const auto mayDelete = [&](const fs::path &path) {
        if (!scope.allows(path) || protectedFolders.contains(path))
            return false;
        return !bundle || platform::absolutePath(path) != *bundle || isSameApplication(item, path);
    };

    // One error slot for the whole pass: once anything failed, every entry that still
    // exists is reported. An entry already gone (inside a folder deleted before it)
    // counts as freed.
    bool errorSet = false;
    bool bundleSelected = false;
    std::set<fs::path> removed;
    for (size_t i = 0; i < prepare.size(); ++i) {
        const FileEntry &entry = prepare[i];
        if (entry.isFileURL()) {
            const bool isBundle = bundle && platform::absolutePath(entry.path()) == *bundle;
            bundleSelected = bundleSelected || isBundle;
            if (!outcome.stopped && stop())
                outcome.stopped = true;
            if (outcome.stopped || !mayDelete(entry.path()) || !remove(entry.path()))
                errorSet = true;
            if (errorSet && exists(entry.path())) {
                outcome.remainder_urls.push_back(entry);
                const std::uint64_t size = i < clean_size.size() ? clean_size[i].byteCount() : 0;
                outcome.common_remove_size -= std::min(size, outcome.common_remove_size);
            } else if (!isBundle) {
                removed.insert(entry.path());
            }
        }
        if (services.progress)
            services.progress(i + 1, prepare.size());
    }
    if (!outcome.stopped && stop())
        outcome.stopped = true; // inside the last entry's folder
    outcome.removedEntries = removed.size();
    if (bundleSelected)
        outcome.bundle = bundle && exists(*bundle) ? BundleFate::Remained : BundleFate::Removed;
    else if (bundle && exists(*bundle) && isSameApplication(item, *bundle))
        outcome.bundle = BundleFate::Kept;
    if (services.playCompletionSound)
        services.playCompletionSound();
    return outcome;
}

} // namespace zembra::leftovers
