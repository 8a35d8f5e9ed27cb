#pragma once
// The removal of a reviewed selection: refuses while the application runs; otherwise
// deletes every selected entry in list order, records what could not be deleted and
// corrects the freed total, and tells what became of the bundle and how many entries went. A plain
// function: the review screen and the command line both call it and take the outcome over (and
// switch screens / print) themselves.

#include "catalogue/ItemRecord.h"
#include "leftovers/RemovalOutcome.h"
#include "platform/DeletionScope.h"
#include "platform/RunningApplications.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zembra::leftovers {

inline constexpr const char *kCompletionSoundPath =
    "/System/Library/Components/CoreAudio.component/Contents/SharedSupport/SystemSounds/system/"
    "burn complete.aif";

// Plays the completion sound file where it exists, else the desktop's "complete" sound.
void playCompletionSoundFile();

// Leaves the mark that tells the background watcher this removal went through us, in
// the settings folder in use.
void markRemovalInSettingsFolder(const ItemRecord &item);

struct RemovalServices {
    std::function<std::vector<platform::RunningApplication>()> runningApplications =
        platform::runningApplications;
    // Default: the scope's deletion. A replacement is asked only for what the scope allows.
    std::function<bool(const std::filesystem::path &)> removeItem;
    std::function<bool(const std::filesystem::path &)> itemExists; // default: the platform's
    // Default: the completion sound file, or the desktop's event sound where it is missing.
    std::function<void()> playCompletionSound = playCompletionSoundFile;
    // Called before the first deletion; default: the watcher's removal mark.
    std::function<void(const ItemRecord &)> markRemoval = markRemovalInSettingsFolder;
    // Called after each position of the list with how many are done and how many there
    // are (a progress bar); from the thread that runs the removal. Optional.
    std::function<void(size_t done, size_t total)> progress;
    // Asked before each entry and, with the platform's deletion, before each file of a
    // folder being emptied: once it says yes, the pass stops there and what was not
    // deleted stays. From the thread that runs the removal. Optional.
    std::function<bool()> stopRequested;
};

// The running check: a running process whose bundle identifier contains the item's
// (case-sensitive), or whose executable lies inside the item's bundle or inside any of
// `deleting` (a helper or login item with an identifier of its own runs from there).
// Paths compare by whole components, byte for byte, as given and with links above them
// resolved. Every process is looked at.
bool isRunning(const ItemRecord &item, const std::vector<platform::RunningApplication> &running,
               const std::vector<FileEntry> &deleting = {});

// `prepare`, `clean_size` and `common_remove_size` as the selection holds them.
//
// Guards no caller can skip: an entry `scope` does not allow, one that is a granted
// folder, holds one, or is a Library folder or a standard folder in one (ProtectedFolders
// of the scope's folders) is never deleted, and the item's own bundle is deleted only while it is
// still the item's application (isSameApplication). Such an entry stays and is reported
// like one that could not be deleted.
RemovalOutcome removeSelection(const platform::DeletionScope &scope, const ItemRecord &item,
                               const std::vector<FileEntry> &prepare,
                               const std::vector<SizeEntry> &clean_size,
                               std::uint64_t common_remove_size,
                               const RemovalServices &services = {});

} // namespace zembra::leftovers
