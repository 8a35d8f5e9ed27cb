#pragma once
// The leftover search: for one record, find every entry of the fixed home and system
// folders whose name ties it to the item, grouped under category markers, with sizes.
//
// It only reads. It runs synchronously on the calling thread (the review screen calls it
// on a worker), replaces the record's lists whole and calls its completion once with
// true. Two searches must not run on one record at once.

#include "catalogue/ItemRecord.h"
#include "grants/GrantStore.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace zembra::leftovers {

enum class SearchMode {
    // Before the user reviews the list: every pass, then the sizes.
    Review,
    // Before a removal without review (plug-ins, Safari extensions): the system
    // Users/Shared and Application Support passes, the login items, the label test of the
    // Caches pass, the desktop pass and the sizes are left out, and a name key shorter
    // than three characters matches nothing, so the user's own files stay out.
    WithoutReview,
};

// The folders a search listed, by path, as it read them. The related step reads several
// of the same folders right after: it takes a listing from here only for a folder it
// reads itself, on its own terms.
using FolderListings = std::map<std::filesystem::path, platform::FolderListing>;

struct SearchResult {
    grants::Resolution home; // the home folder the search used
    // The granted folders the search reads (home, and the whole disk when its passes ran)
    // and their Library folders that are there but could not be read. Their leftovers
    // were not searched: the list is incomplete, and no removal should rely on it.
    std::vector<std::filesystem::path> unreadable;
    // The search was cancelled before it ended: the record's lists are partial and must
    // not be shown or acted on.
    bool cancelled = false;
    // What the search listed (nothing after a cancelled search).
    std::shared_ptr<const FolderListings> listings;
};

// Fills `files` (and, for a review, `sizes`) of `record`. `cancelled` is asked between
// passes and inside every walk and size sum (from the worker's thread); once it answers
// true the search ends early. Never asked, or never true, the result is the full one.
SearchResult searchLeftovers(ItemRecord &record, platform::SettingsStore &settings, SearchMode mode,
                             const std::function<bool()> &cancelled = {});

// The strongest tie wins: a path that one row found strongly (or `strong` names) is weak
// in no row, whichever pass or step found it first. `weak` has one flag per row of `files`.
void strongestTieWins(const std::vector<FileEntry> &files, std::vector<bool> &weak,
                      const std::vector<std::filesystem::path> &strong = {});

// The sizes list that belongs to `files`: the marker at a marker's index, the entry's byte
// count at a file's (0 for an entry that is gone). Once `cancelled` answers true the
// remaining entries count 0.
std::vector<SizeEntry> sizesOf(const std::vector<FileEntry> &files,
                               const std::function<bool()> &cancelled = {});

// The leftover search of the review: `files`, `sizes`, then completion(true).
void getfiles(ApplicationItem &item, platform::SettingsStore &settings,
              const std::function<void(bool)> &completion);

} // namespace zembra::leftovers
