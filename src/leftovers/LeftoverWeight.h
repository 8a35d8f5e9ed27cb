#pragma once
// What an application left behind, in short: the entries the review of its leftovers
// would start ticked (another application's entries, shared ones and merely related ones
// start unticked, and so do the folders holding them and what the stored grants do not
// allow to delete), besides the application's own bundle, and what deleting them would
// free. The background watcher names it in its notices; the list of removed applications
// shows it and lists only applications for which it is not nothing.
//
// Runs the whole search synchronously on the calling thread, on a copy of the record
// (the record itself is left alone). Safe on a worker.

#include "catalogue/Application.h"
#include "catalogue/ItemRecord.h"
#include "leftovers/SharedEntries.h"
#include "platform/SettingsStore.h"

#include <cstdint>
#include <vector>

namespace zembra::leftovers {

struct LeftoverWeight {
    int count = 0;                // entries that would go, none counted inside another
    std::uint64_t bytes = 0;      // what deleting them frees, each byte once
    std::vector<FileEntry> files; // those entries, so that weights can be added up
    std::vector<SizeEntry> sizes; // one per entry of `files`
    bool empty() const { return count == 0; }
};

// `installed`: every installed application (Application::everyInstalledApplication), so
// that the entries another one uses are not counted.
// `owners`: the keys of `installed`, when the caller keeps them up to date across calls.
LeftoverWeight weighLeftovers(const ItemRecord &item, platform::SettingsStore &settings,
                              const ApplicationList &installed,
                              const InstalledOwners *owners = nullptr);

// The weight of several applications' leftovers together: an entry two of them left,
// or one inside another's folder, counts once.
LeftoverWeight combinedWeight(const std::vector<LeftoverWeight> &weights);

} // namespace zembra::leftovers
