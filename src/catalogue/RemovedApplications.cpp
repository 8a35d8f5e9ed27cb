#include "catalogue/RemovedApplications.h"

#include "catalogue/SortByLabel.h"

#include <set>

namespace zembra {

ApplicationList removedApplications(const ApplicationSnapshot &snapshot, const ApplicationList &installedNow)
{
    // The watcher may not have looked since the application came back.
    std::set<QString> installed;
    for (const auto &item : installedNow)
        installed.insert(rememberedKey(*item));
    ApplicationList gone;
    for (const RememberedApplication &r : snapshot.applications)
        if (!r.installed && !installed.count(rememberedKey(*r.item)))
            gone.push_back(reviewableCopy(*r.item));
    sortByLabel(gone);
    return gone;
}

} // namespace zembra
