#include "leftovers/Review.h"

#include "leftovers/LeftoverKeys.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/RelatedSearch.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace zembra::leftovers {

namespace fs = std::filesystem;

bool Review::startsUnticked(size_t row) const {
    return (isRelated(row) && !isTied(row)) || isWeak(row) || isNotAllowed(row) ||
           (row < flags.size() && flags[row].flagged());
}

void Review::markNotAllowed(const std::function<bool(const fs::path &)> &allowed) {
    notAllowed.assign(files.size(), false);
    for (size_t i = 0; i < files.size(); ++i)
        notAllowed[i] = files[i].isFileURL() && !allowed(files[i].path());
}

Selection Review::selection() const {
    std::vector<bool> unticked(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        unticked[i] = startsUnticked(i);
    return Selection(files, sizes, unticked);
}

std::vector<QString> Review::keptReasons(const Selection &selection) const {
    std::vector<QString> out(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!selection.isFileRow(i) || selection.isSelected(i))
            continue;
        if (isNotAllowed(i))
            out[i] = kKeptNotAllowed;
        else if (i < flags.size() && flags[i].flagged())
            out[i] = flags[i].keptReason();
        else if (isWeak(i))
            out[i] = kKeptWeakMatch;
        else if (isRelated(i) && !isTied(i))
            out[i] = kKeptPossiblyRelated + reasons[i];
        else if (!selection.keptRowsBelow(i).empty())
            out[i] = kKeptHoldsKept;
        else
            out[i] = kKeptByUser;
    }
    return out;
}

Review buildReview(const ItemRecord &searched, platform::SettingsStore &settings,
                   const ApplicationList &installed, bool withRelated, const FolderListings *listed,
                   const InstalledOwners *owners) {
    Review review;
    review.files = searched.files();
    review.sizes = searched.sizes();
    review.sizes.resize(review.files.size(), SizeEntry::bytes(0));
    review.searchRows = review.files.size();
    const SharedEntries shared =
        owners ? SharedEntries(searched, *owners) : SharedEntries(searched, installed);
    review.flags = shared.flagsOf(review.files);
    review.reasons.resize(review.files.size());
    review.weak = searched.weakRows();
    review.weak.resize(review.files.size(), false);
    review.tied.resize(review.files.size(), false);
    // A row inside a listed folder that a strong key found goes with that folder.
    const auto withStrongFolders = [&review] {
        for (size_t i = 0; i < review.files.size(); ++i)
            for (size_t j = 0; review.weak[i] && j < review.files.size(); ++j)
                if (!review.weak[j] && review.files[j].isFileURL() &&
                    platform::isWithin(review.files[i].path(), review.files[j].path()))
                    review.weak[i] = false;
    };
    if (!withRelated) {
        withStrongFolders();
        return review;
    }

    std::vector<RelatedEntry> related = findRelated(searched, settings, review.flags, listed);
    std::vector<fs::path> strengthened;
    for (const RelatedEntry &r : related)
        if (r.listed)
            strengthened.push_back(r.path);
    // What lies inside a folder that is now the item's goes with it, not as a row of its own.
    std::erase_if(related, [&strengthened](const RelatedEntry &r) {
        return r.listed ||
               std::any_of(strengthened.begin(), strengthened.end(),
                           [&r](const fs::path &f) { return platform::isWithin(r.path, f); });
    });
    strongestTieWins(review.files, review.weak, strengthened);
    withStrongFolders();
    // A large vendor's other products: what another installed application ties to more
    // specifically is that application's, not "possibly related" to this one.
    std::vector<RelatedEntry> offered;
    std::vector<SharedFlag> relatedFlags;
    for (RelatedEntry &r : related) {
        SharedFlag flag = shared.flagOf(r.path);
        if (!r.strong && r.reason == kSameVendor && flag.flagged() && !flag.shared)
            continue;
        offered.push_back(std::move(r));
        relatedFlags.push_back(std::move(flag));
    }
    related = std::move(offered);
    if (related.empty())
        return review;
    std::vector<FileEntry> group{FileEntry::word(kRelated)};
    for (const RelatedEntry &r : related)
        group.push_back(FileEntry::file(r.path));
    const std::vector<SizeEntry> sizes = sizesOf(group);
    for (size_t i = 0; i < group.size(); ++i) {
        review.files.push_back(group[i]);
        review.sizes.push_back(sizes[i]);
        review.flags.push_back(i == 0 ? SharedFlag{} : relatedFlags[i - 1]);
        review.reasons.push_back(i == 0 ? QString() : related[i - 1].reason);
        review.weak.push_back(false);
        review.tied.push_back(i > 0 && related[i - 1].strong);
    }
    return review;
}

} // namespace zembra::leftovers
