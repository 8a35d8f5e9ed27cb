#pragma once
// The applications that are gone: those the background watcher remembers as having left
// the Applications folder (or arrived in the Trash) and that are not installed again now.
// Plain function; any thread.

#include "catalogue/Application.h"
#include "catalogue/ApplicationSnapshot.h"

namespace zembra {

// Fresh copies of the snapshot's gone records whose key no application of `installedNow`
// has, made for their review (reviewableCopy), sorted by label.
ApplicationList removedApplications(const ApplicationSnapshot &snapshot, const ApplicationList &installedNow);

} // namespace zembra
