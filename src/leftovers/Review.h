#pragma once
// What the review shows for one searched item: the search's own rows, unchanged and in
// their order, each with its flag (another installed application's entry, or shared)
// and whether only weak name keys found it, then — when asked for — the "Possibly related" group:
// the marker "Related" and the related entries, each with its reason and size. Flagged, weak and
// related rows start unticked (a related row tied to the application itself starts ticked), so they
// count into the total only when the user ticks them. A related row offered only as the
// same vendor's is left out when another installed application ties to it more
// specifically (a large vendor's other products); a related row that ties strongly to an
// entry the search found only by weak keys makes that row the item's instead.
//
// The review screen and the command line build it after the search (on the search's
// worker: it reads the disk) and hand it to a Selection.

#include "catalogue/ItemRecord.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Selection.h"
#include "leftovers/SharedEntries.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <vector>

namespace zembra::leftovers {

struct Review {
    std::vector<FileEntry> files;  // the search's files, then the related group
    std::vector<SizeEntry> sizes;  // one per row, as the search's sizes
    std::vector<SharedFlag> flags; // one per row; unflagged for markers
    std::vector<QString> reasons;  // one per row: the related reason, "" elsewhere
    std::vector<bool> weak;        // one per row: found only by weak name keys
    std::vector<bool> tied;        // one per row: a related row tied to the application itself
    std::vector<bool> notAllowed;  // one per row: outside what the user allowed to delete
    size_t searchRows = 0;         // rows [0, searchRows) are the search's own

    bool isRelated(size_t row) const {
        return row >= searchRows && row < files.size() && files[row].isFileURL();
    }
    bool isWeak(size_t row) const { return row < weak.size() && weak[row]; }
    bool isNotAllowed(size_t row) const { return row < notAllowed.size() && notAllowed[row]; }
    // Notes each file row that `allowed` refuses: the removal would refuse it too, so it
    // starts unticked and says why instead of failing after the click.
    void markNotAllowed(const std::function<bool(const std::filesystem::path &)> &allowed);
    // A related row tied strongly (its identifier, its own group): it starts ticked.
    bool isTied(size_t row) const { return isRelated(row) && row < tied.size() && tied[row]; }
    bool startsUnticked(size_t row) const;
    // Every row; flagged, weak and related ones (and, by the kept-entries rule, the listed
    // folders holding them) unticked.
    Selection selection() const;
    // Why each row would stay if `selection` (made from this review) were removed: "" for
    // a ticked row and a marker; "needs access to system folders", "also used by X",
    // "shared with X", "weak match",
    // "possibly related: REASON", "holds a kept entry", or "kept" for a row the user
    // unticked.
    std::vector<QString> keptReasons(const Selection &selection) const;
};

// `searched`: the record after the search (files and sizes filled). `installed`: every
// installed application (Application::everyInstalledApplication), to flag shared rows.
// `owners`: the keys of `installed`, when the caller keeps them (see SharedEntries.h).
// `listed`: what the search listed (SearchResult::listings), so the related step need not
// list those folders again.
Review buildReview(const ItemRecord &searched, platform::SettingsStore &settings,
                   const ApplicationList &installed, bool withRelated,
                   const FolderListings *listed = nullptr, const InstalledOwners *owners = nullptr);

} // namespace zembra::leftovers
