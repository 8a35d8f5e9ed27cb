#include "leftovers/Removal.h"

#include "leftovers/RemovalMarks.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Sound.h"

namespace zembra::leftovers {

void playCompletionSoundFile()
{
    if (!platform::playSoundFile(kCompletionSoundPath))
        platform::playCompletionEventSound();
}

void markRemovalInSettingsFolder(const ItemRecord &item)
{
    markRemoval(item, platform::SettingsStore::folder());
}

bool isRunning(const ItemRecord &item, const std::vector<platform::RunningApplication> &running)
{
    const OptString bundle = item.bundle();
    const auto url = item.url();
    bool found = false;
    for (const platform::RunningApplication &app : running) {
        if (bundle && !bundle->isEmpty()) {
            if (app.bundleIdentifier && app.bundleIdentifier->contains(*bundle, Qt::CaseSensitive))
                found = true;
        } else if (url && !app.executable.empty() && platform::isWithin(platform::absolutePath(app.executable), platform::absolutePath(*url))) {
            found = true;
        }
    }
    return found;
}

RemovalOutcome removeSelection(const ItemRecord &item, const std::vector<FileEntry> &prepare,
                               const std::vector<SizeEntry> &clean_size, std::uint64_t common_remove_size,
                               const RemovalServices &services)
{
    RemovalOutcome outcome;
    outcome.common_remove_size = common_remove_size;
    if (isRunning(item, services.runningApplications ? services.runningApplications()
                                                      : std::vector<platform::RunningApplication>{})) {
        outcome.refusedRunning = true;
        return outcome;
    }
    if (services.markRemoval)
        services.markRemoval(item);
    const auto remove = services.removeItem ? services.removeItem : platform::removeItem;
    const auto exists = services.itemExists ? services.itemExists : platform::itemExists;

    // One error slot for the whole pass: once anything failed, every entry that still
    // exists is reported. An entry already gone (inside a folder deleted before it)
    // counts as freed.
    bool errorSet = false;
    for (size_t i = 0; i < prepare.size(); ++i) {
        const FileEntry &entry = prepare[i];
        if (entry.isFileURL()) {
            if (!remove(entry.path()))
                errorSet = true;
            if (errorSet && exists(entry.path())) {
                outcome.remainder_urls.push_back(entry);
                const std::uint64_t size = i < clean_size.size() ? clean_size[i].byteCount() : 0;
                outcome.common_remove_size -= std::min(size, outcome.common_remove_size);
            }
        }
        if (services.progress)
            services.progress(i + 1, prepare.size());
    }
    if (services.playCompletionSound)
        services.playCompletionSound();
    return outcome;
}

} // namespace zembra::leftovers
