#pragma once
// The applications that are gone: those the background watcher remembers as having left
// the Applications folder (or arrived in the Trash) and that are not installed again now.
// Plain functions; any thread.

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"

namespace zembra {

// Fresh copies of the snapshot's gone records whose key no application of `installedNow`
// has, made for their review (reviewableCopy), sorted by label.
ApplicationList removedApplications(const ApplicationSnapshot &snapshot,
                                    const ApplicationList &installedNow);

// A copy of the gone record with `key`, made for its review (reviewableCopy); null when there is
// none, or when an application of `installedNow` has that key (its review would offer the installed
// bundle for removal).
std::shared_ptr<ApplicationItem> removedApplication(const ApplicationSnapshot &snapshot,
                                                    const ApplicationList &installedNow,
                                                    const QString &key);

} // namespace zembra
