#include "leftovers/LeftoverWeight.h"

#include "grants/GrantStore.h"
#include "leftovers/LeftoverSearch.h"
#include "leftovers/Review.h"
#include "platform/FileSystem.h"

namespace zembra::leftovers {

namespace {

// The chosen rows that deleting them would free, with their count and weight.
LeftoverWeight weightOf(const std::vector<FileEntry> &files, const std::vector<SizeEntry> &sizes,
                        const std::function<bool(size_t)> &chosen) {
    LeftoverWeight weight;
    for (const size_t i : freedRows(files, chosen)) {
        weight.files.push_back(files[i]);
        weight.sizes.push_back(i < sizes.size() ? sizes[i] : SizeEntry::bytes(0));
    }
    weight.count = int(weight.files.size());
    weight.bytes = freedBytes(files, sizes, chosen);
    return weight;
}

} // namespace

LeftoverWeight weighLeftovers(const ItemRecord &item, platform::SettingsStore &settings,
                              const ApplicationList &installed, const InstalledOwners *owners) {
    ItemRecord searched(item);
    searchLeftovers(searched, settings, SearchMode::Review);
    // Only what the review would start ticked: the related group starts unticked anyway.
    Review review = buildReview(searched, settings, installed, false, nullptr, owners);
    // What the removal would refuse starts unticked on the review, so it is not counted.
    const platform::DeletionScope scope = grants::GrantStore(settings).deletionScope();
    review.markNotAllowed([&scope](const std::filesystem::path &p) { return scope.allows(p); });
    const Selection selection = review.selection();
    // The bundle itself is not a leftover: it is gone, or lies in the Trash.
    const auto url = item.url();
    return weightOf(review.files, review.sizes, [&](size_t i) {
        return selection.isSelected(i) && !(url && review.files[i].path() == *url) &&
               platform::itemExists(review.files[i].path());
    });
}

LeftoverWeight combinedWeight(const std::vector<LeftoverWeight> &weights) {
    std::vector<FileEntry> files;
    std::vector<SizeEntry> sizes;
    for (const LeftoverWeight &w : weights) {
        files.insert(files.end(), w.files.begin(), w.files.end());
        sizes.insert(sizes.end(), w.sizes.begin(), w.sizes.end());
    }
    return weightOf(files, sizes, [](size_t) { return true; });
}

} // namespace zembra::leftovers
