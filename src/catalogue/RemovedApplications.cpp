#include "catalogue/RemovedApplications.h"

#include "catalogue/SortByLabel.h"

#include <set>

namespace zembra {

namespace {

std::set<QString> keysOf(const ApplicationList &items) {
    std::set<QString> keys;
    for (const auto &item : items)
        keys.insert(rememberedKey(*item));
    return keys;
}

} // namespace

ApplicationList removedApplications(const ApplicationSnapshot &snapshot,
                                    const ApplicationList &installedNow) {
    // The watcher may not have looked since the application came back.
    const std::set<QString> installed = keysOf(installedNow);
    ApplicationList gone;
    for (const RememberedApplication &r : snapshot.applications)
        if (!r.installed && !installed.count(rememberedKey(*r.item)))
            gone.push_back(reviewableCopy(*r.item));
    sortByLabel(gone);
    return gone;
}

std::shared_ptr<ApplicationItem> removedApplication(const ApplicationSnapshot &snapshot,
                                                    const ApplicationList &installedNow,
                                                    const QString &key) {
    if (keysOf(installedNow).count(key))
        return nullptr;
    for (const RememberedApplication &r : snapshot.applications)
        if (!r.installed && rememberedKey(*r.item) == key)
            return reviewableCopy(*r.item);
    return nullptr;
}

} // namespace zembra
