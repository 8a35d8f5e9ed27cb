#pragma once
// What a removal left behind, and the one rule that decides whether it counts: a
// remainder stands only while its first entry still exists (the entries after it are
// reported with it; an entry deleted by other means since is no failure to show).

#include "catalogue/FileEntry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zembra::leftovers {

// What became of the item's own bundle.
enum class BundleFate {
    Removed,   // selected and deleted
    Remained,  // selected, but it is still there (refused, failed, or the pass stopped)
    Kept,      // not selected: the user kept it
    NotListed, // not on the list (gone already, or the record names no bundle of its own)
};

using ExistsFunction = std::function<bool(const std::filesystem::path &)>;

// True when `remainder` starts with a file entry that `exists` (default: the platform's).
bool remainderStands(const std::vector<FileEntry> &remainder, const ExistsFunction &exists = {});

struct RemovalOutcome {
    bool refusedRunning = false;
    std::vector<FileEntry> remainder_urls; // what could not be deleted, in list order
    std::uint64_t common_remove_size = 0;  // the bytes freed
    BundleFate bundle = BundleFate::NotListed;
    size_t removedEntries = 0; // entries other than the bundle that are gone, each path once
    bool stopped = false;      // the pass was asked to stop before its end

    // remainder_urls, when it stands; nothing otherwise.
    std::vector<FileEntry> standingRemainder(const ExistsFunction &exists = {}) const {
        return remainderStands(remainder_urls, exists) ? remainder_urls : std::vector<FileEntry>{};
    }
};

} // namespace zembra::leftovers
